#pragma once

#include "platform/clock.h"

namespace tessaline::testing {

// A clock stopped on a leap day a second before midnight: chart stamps
// written with it are the same in every run, and a day rolling over shows.
class FixedClock final : public Clock {
 public:
  LocalTime Now() override { return {2024, 2, 29, 23, 59, 58}; }
};

}  // namespace tessaline::testing
