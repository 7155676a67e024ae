#pragma once
// Local date and time of day, injectable so stamps can be tested.

namespace tessaline {

struct LocalTime {
  int year = 1970, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
};

// The system clock in the local time zone.
class SystemClock final : public Clock {
 public:
  LocalTime Now() override;
};

}  // namespace tessaline
