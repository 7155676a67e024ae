#include "formats/gpx/gpx_time.h"

#include <cstdint>

#include "formats/gpx/gpx_model.h"

namespace tessaline::gpx {

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto year_of_era = static_cast<unsigned>(year - era * 400);
  const unsigned day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + static_cast<std::int64_t>(day_of_era) - 719468;
}

Civil CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto day_of_era = static_cast<unsigned>(days - era * 146097);
  const unsigned year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const unsigned day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const unsigned mp = (5 * day_of_year + 2) / 153;
  const unsigned day = day_of_year - (153 * mp + 2) / 5 + 1;
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<std::int64_t>(year_of_era) + era * 400 + (month <= 2), month, day};
}

namespace {
bool IsLeap(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

unsigned DaysInMonth(std::int64_t year, unsigned month) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

bool DateExists(std::int64_t year, unsigned month, unsigned day) {
  return month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

namespace {

// `count` digits at `at`, as a number; false when any is no digit.
bool Digits(std::string_view text, std::size_t at, std::size_t count, unsigned& value) {
  if (at + count > text.size()) return false;
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  return true;
}

void AppendDigits(std::string& out, std::uint64_t value, int width) {
  char digits[20];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0 || n < width);
  while (n > 0) out += digits[--n];
}

}  // namespace

std::optional<GpxTimeRead> ReadGpxTime(std::string_view text) {
  text = TrimXmlBlanks(text);
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!Digits(text, 0, 4, year) || text.size() < 19 || text[4] != '-' || !Digits(text, 5, 2, month) ||
      text[7] != '-' || !Digits(text, 8, 2, day) || text[10] != 'T' || !Digits(text, 11, 2, hour) ||
      text[13] != ':' || !Digits(text, 14, 2, minute) || text[16] != ':' || !Digits(text, 17, 2, second)) {
    return std::nullopt;
  }
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || minute > 59 || second > 60) {
    return std::nullopt;
  }
  GpxTimeRead read;
  std::size_t at = 19;
  if (at < text.size() && text[at] == '.') {
    ++at;
    const std::size_t first = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
      if (at - first < 9) {
        read.time.nanoseconds = read.time.nanoseconds * 10 + static_cast<unsigned>(text[at] - '0');
        ++read.time.digits;
      } else {
        read.cut = true;
      }
      ++at;
    }
    if (at == first) return std::nullopt;
    for (int d = read.time.digits; d < 9; ++d) read.time.nanoseconds *= 10;
  }
  // 24:00:00 is the end of the day, the next one's midnight.
  if (hour > 24 || (hour == 24 && (minute != 0 || second != 0 || read.time.nanoseconds != 0))) return std::nullopt;
  std::int64_t offset = 0;
  if (at < text.size()) {
    if (text[at] == 'Z' && at + 1 == text.size()) {
      read.zoned = true;
    } else if ((text[at] == '+' || text[at] == '-') && at + 6 == text.size() && text[at + 3] == ':') {
      unsigned zone_hours = 0, zone_minutes = 0;
      if (!Digits(text, at + 1, 2, zone_hours) || !Digits(text, at + 4, 2, zone_minutes) || zone_minutes > 59 ||
          zone_hours * 60 + zone_minutes > 14 * 60) {
        return std::nullopt;
      }
      offset = (text[at] == '+' ? 1 : -1) * static_cast<std::int64_t>(zone_hours * 3600 + zone_minutes * 60);
      read.zoned = true;
    } else {
      return std::nullopt;
    }
  }
  read.time.seconds = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second - offset;
  return read;
}

void AppendGpxTime(std::string& out, const PointTime& time) {
  const std::int64_t days = (time.seconds >= 0 ? time.seconds : time.seconds - 86399) / 86400;
  const auto of_day = static_cast<std::uint64_t>(time.seconds - days * 86400);
  const Civil civil = CivilFromDays(days);
  AppendDigits(out, static_cast<std::uint64_t>(civil.year < 0 ? 0 : civil.year), 4);
  out += '-';
  AppendDigits(out, civil.month, 2);
  out += '-';
  AppendDigits(out, civil.day, 2);
  out += 'T';
  AppendDigits(out, of_day / 3600, 2);
  out += ':';
  AppendDigits(out, of_day / 60 % 60, 2);
  out += ':';
  AppendDigits(out, of_day % 60, 2);
  if (time.digits > 0) {
    out += '.';
    std::uint64_t fraction = time.nanoseconds;
    for (int d = time.digits; d < 9; ++d) fraction /= 10;
    AppendDigits(out, fraction, time.digits);
  }
  out += 'Z';
}

}  // namespace tessaline::gpx
