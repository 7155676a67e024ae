#pragma once
// The Windows long time format ("HH:mm:ss", "h:mm:ss tt", "H' h 'mm"...)
// rewritten as the strftime-like pattern RegionalSettings::long_time_format
// holds. Plain text handling, so it is built and tested on every platform.

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaline::platform {

// h/hh 12-hour, H/HH 24-hour, m/mm minutes, s/ss seconds (one letter: no
// leading zero; two or more: two digits), t/tt the AM/PM designator (the
// one-letter form, its first character on Windows, has no equivalent and
// gives the whole designator), text between single quotes literal, two
// single quotes one quote, "%" doubled, anything else literal.
inline std::string TimePatternFromWindowsFormat(std::string_view format) {
  std::string pattern;
  bool quoted = false;
  std::size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    if (c == '\'') {
      if (i + 1 < format.size() && format[i + 1] == '\'') {
        pattern += '\'';
        i += 2;
      } else {
        quoted = !quoted;
        ++i;
      }
      continue;
    }
    if (quoted || (c != 'h' && c != 'H' && c != 'm' && c != 's' && c != 't')) {
      if (c == '%') pattern += '%';
      pattern += c;
      ++i;
      continue;
    }
    std::size_t run = 1;
    while (i + run < format.size() && format[i + run] == c) ++run;
    i += run;
    const bool padded = run >= 2;
    switch (c) {
      case 'h': pattern += padded ? "%I" : "%-I"; break;
      case 'H': pattern += padded ? "%H" : "%-H"; break;
      case 'm': pattern += padded ? "%M" : "%-M"; break;
      case 's': pattern += padded ? "%S" : "%-S"; break;
      default: pattern += "%p"; break;
    }
  }
  return pattern;
}

}  // namespace tessaline::platform
