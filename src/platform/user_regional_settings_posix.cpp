#include "platform/user_regional_settings.h"

#include <langinfo.h>
#include <locale.h>

#include <string>

namespace tessaline {

namespace {

std::string Info(nl_item item, locale_t locale, const char* fallback) {
  const char* text = nl_langinfo_l(item, locale);
  return (text && *text) ? std::string(text) : std::string(fallback);
}

// The separator of the short date format: the first character between two
// conversions of D_FMT ("%d/%m/%Y" -> "/", "%d.%m.%Y" -> ".", "%D" -> "/").
std::string DateSeparatorOf(const std::string& format) {
  if (format.find("%D") != std::string::npos || format.find("%x") != std::string::npos) return "/";
  for (std::size_t i = 0; i + 2 < format.size(); ++i) {
    if (format[i] != '%') continue;
    std::size_t j = i + 1;
    while (j < format.size() && (format[j] == 'E' || format[j] == 'O' || format[j] == '-' ||
                                 format[j] == '_' || format[j] == '0' || format[j] == '^' ||
                                 format[j] == '#')) {
      ++j;
    }
    if (j + 1 < format.size() && format[j + 1] != '%') return std::string(1, format[j + 1]);
    i = j;
  }
  return "/";
}

}  // namespace

RegionalSettings UserRegionalSettings() {
  RegionalSettings settings;
  // An empty name asks for the locale the environment selects, per category.
  locale_t locale = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
  if (locale == static_cast<locale_t>(nullptr)) {
    // A category may name a locale that is not installed; fall back per category.
    locale = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) return settings;
  }
  settings.decimal_mark = Info(RADIXCHAR, locale, ".");
  settings.date_separator = DateSeparatorOf(Info(D_FMT, locale, "%m/%d/%y"));
  settings.long_time_format = Info(T_FMT, locale, "%H:%M:%S");
  settings.am = Info(AM_STR, locale, "");
  settings.pm = Info(PM_STR, locale, "");
  freelocale(locale);
  return settings;
}

}  // namespace tessaline
