#pragma once
// The time stamp of a P line: the date as "dd/mm/yyyy" with the regional
// date separator in the "/" positions, a space, then the time of day in the
// regional long time format.

#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/regional_settings.h"

namespace tessaline {

// Two-digit day and month, four-digit year, the regional date separator
// between them.
std::string DateText(const LocalTime& time, const RegionalSettings& regional);

// The time of day under a strftime-like `format`, formatted here without
// the C library so the process locale plays no part. Understood: %H %k
// (24-hour, zero- or space-padded), %I %l (12-hour), %M, %S, %p %P (the
// regional AM/PM texts, %P in lower case), %T (%H:%M:%S), %R (%H:%M), %r
// (%I:%M:%S %p), %n, %t and %%; the flags "-" (no padding), "_" (spaces),
// "0" (zeros) and "^" (upper case), and the E and O modifiers, which change
// nothing here. Any other directive is copied as it stands.
std::string TimeText(const LocalTime& time, std::string_view format,
                     const RegionalSettings& regional);

// DateText, a space, TimeText under the regional long time format.
std::string Stamp(const LocalTime& time, const RegionalSettings& regional);

// The stamp of the clock's time now. Every track line takes one afresh,
// since it tells when the line was written; it is formatted again only when
// the clock has moved on. Both must outlive this object.
class StampOfNow {
 public:
  StampOfNow(Clock& clock, const RegionalSettings& regional) : clock_(clock), regional_(regional) {}
  const std::string& Now();

 private:
  Clock& clock_;
  const RegionalSettings& regional_;
  std::optional<LocalTime> time_;
  std::string stamp_;
};

}  // namespace tessaline
