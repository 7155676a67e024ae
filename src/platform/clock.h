#pragma once
// Local date and time of day, injectable so stamps can be tested.

namespace tessaline {

struct LocalTime {
  int year = 1970, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;

  friend bool operator==(const LocalTime&, const LocalTime&) = default;
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

 private:
  // The last second asked and its local time: a track line asks once per
  // line, and the time zone rules are consulted once per second instead.
  long long last_second_ = -1;
  LocalTime last_time_;
};

}  // namespace tessaline
