#pragma once
// A GPX <time>, xsd:dateTime: "2024-06-14T10:00:00Z", a fraction of a
// second to any digits (kept to nine), a zone "Z" or "+02:00", or none.
// Read into UTC; written back in UTC with the digits it was given.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "formats/point_stream.h"

namespace tessaline::gpx {

struct GpxTimeRead {
  PointTime time;
  bool zoned = false;    // a zone was given; without one the time is taken as UTC
  bool cut = false;      // more than nine digits of fraction, the rest dropped
};

// Days from 1970-01-01 to a civil date (proleptic Gregorian), and back.
struct Civil {
  std::int64_t year;
  unsigned month, day;
};
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);
Civil CivilFromDays(std::int64_t days);
unsigned DaysInMonth(std::int64_t year, unsigned month);
bool DateExists(std::int64_t year, unsigned month, unsigned day);

// nullopt for a text that is no dateTime (XML blanks around are allowed).
std::optional<GpxTimeRead> ReadGpxTime(std::string_view text);

// "2024-06-14T08:00:00.250Z".
void AppendGpxTime(std::string& out, const PointTime& time);

}  // namespace tessaline::gpx
