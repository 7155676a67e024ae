#pragma once
// The user's regional settings, as far as the output formats use them: the
// decimal mark of a track point's value and the notation of its time stamp.
// Passed by value to whatever formats under them, so tests can pass French
// settings without touching the process.

#include <string>

namespace tessaline {

struct RegionalSettings {
  std::string decimal_mark = ".";
  std::string date_separator = "/";
  // strftime-style pattern of the long time format (%H %I %M %S %p %T %R %r ...).
  std::string long_time_format = "%H:%M:%S";
  std::string am = "AM";
  std::string pm = "PM";

  static RegionalSettings C() { return RegionalSettings{}; }
  static RegionalSettings French() { return RegionalSettings{",", "/", "%H:%M:%S", "", ""}; }
};

}  // namespace tessaline
