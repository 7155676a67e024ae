#include "platform/user_regional_settings.h"

#include <windows.h>

#include <string>

#include "platform/wide_text_win.h"
#include "platform/windows_time_format.h"

namespace tessaline {

namespace {

// The text of one item of the user's locale; `fallback` when the call fails.
// An item that is empty on purpose (no AM/PM designators) stays empty.
std::string Info(LCTYPE item, const char* fallback) {
  wchar_t buffer[LOCALE_NAME_MAX_LENGTH * 2];
  const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, buffer,
                                     static_cast<int>(sizeof buffer / sizeof buffer[0]));
  if (length <= 0) return fallback;
  return platform::Narrow(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)));
}

std::string NonEmpty(std::string text, const char* fallback) {
  return text.empty() ? std::string(fallback) : text;
}

}  // namespace

RegionalSettings UserRegionalSettings() {
  RegionalSettings settings;
  settings.decimal_mark = NonEmpty(Info(LOCALE_SDECIMAL, "."), ".");
  settings.date_separator = NonEmpty(Info(LOCALE_SDATE, "/"), "/");
  settings.long_time_format = NonEmpty(
      platform::TimePatternFromWindowsFormat(Info(LOCALE_STIMEFORMAT, "HH:mm:ss")), "%H:%M:%S");
  settings.am = Info(LOCALE_S1159, "AM");
  settings.pm = Info(LOCALE_S2359, "PM");
  return settings;
}

}  // namespace tessaline
