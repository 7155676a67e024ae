#include <ctime>

#include "platform/clock.h"

namespace tessaline {

LocalTime SystemClock::Now() {
  const std::time_t now = std::time(nullptr);
  if (static_cast<long long>(now) == last_second_) return last_time_;
  std::tm parts{};
  localtime_r(&now, &parts);
  last_second_ = static_cast<long long>(now);
  last_time_ = LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                         parts.tm_hour,        parts.tm_min,     parts.tm_sec};
  return last_time_;
}

}  // namespace tessaline
