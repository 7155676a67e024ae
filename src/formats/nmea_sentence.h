#pragma once
// The lines of an NMEA 0183 log as the boat's GPS, plotter or recorder
// writes them: a sentence ("$GPRMC,...*hh", "!AIVDM,...") perhaps after a
// prefix (tag blocks "\s:x*hh\", or a recorder's time stamp ending in a
// blank), its checksum, its fields, and the readings of the sentences that
// give positions, dates, waypoints and routes. Numbers are read digit by
// digit, never through the C library, so the process locale plays no part.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "host/file_system.h"

namespace tessaline::nmea {

// Why a sentence is not taken; None when it is.
enum class Rejection : std::uint8_t {
  None,
  Checksum,    // its *hh does not match
  Truncated,   // cut: fewer fields than its type has, a second "$", "*h"
  Unreadable,  // binary bytes, a field that does not read, no sentence at all
  OutOfRange,  // a coordinate past 90° or 180°, minutes past 60
  NotValid,    // the device says the fix is not valid, or a field it needs is empty
};
inline constexpr std::size_t kRejectionKinds = 6;

enum class LineKind : std::uint8_t {
  Blank,
  Comment,   // "#...", as recorders write them
  Sentence,  // see `rejection` for whether it is taken
  Other,     // no sentence: neither "$" nor "!" at its start or after a blank
};

// The address's type, for the sentences read here.
enum class SentenceType : std::uint8_t { Rmc, Gga, Gll, Gns, Zda, Wpl, Rte, Other };

struct LogLine {
  LineKind kind = LineKind::Blank;
  Rejection rejection = Rejection::None;
  bool checksummed = false;    // it ended in *hh (right or wrong)
  bool proprietary = false;    // "$P...": a maker's own sentence
  SentenceType type = SentenceType::Other;
  std::string_view address;    // "GPRMC"
  std::string_view fields;     // after the address's comma, up to the "*" or the end
};

// One line, without its end.
LogLine ReadLogLine(std::string_view line);

// The comma-separated fields of a sentence; past the last, every field is
// empty. A sentence fits in 82 characters: more fields than it can hold
// stay in the last one.
class Fields {
 public:
  explicit Fields(std::string_view fields);
  std::size_t size() const { return count_; }
  std::string_view operator[](std::size_t at) const {
    return at < count_ ? text_.substr(starts_[at], starts_[at + 1] - 1 - starts_[at]) : std::string_view();
  }

 private:
  static constexpr std::size_t kMost = 64;
  std::string_view text_;
  // Where each field starts, and one past the last's end and its comma;
  // only the first count_ + 1 are set.
  std::array<std::uint32_t, kMost + 1> starts_;
  std::size_t count_ = 0;
};

// A coordinate in decimal degrees: its text to nine decimals, rounded from
// the exact value of the degrees and minutes given (so within 5e-10°), and
// the double nearest to that value.
// The text is made when first asked for: most sentences of a time only
// merge into the point of the first.
class Angle {
 public:
  double number = 0;
  std::string_view Text() const;

 private:
  friend Rejection ReadAngle(std::string_view, std::string_view, bool, Angle&);
  // degrees + minutes / divisor, exactly.
  std::uint64_t degrees_ = 0, minutes_ = 0, divisor_ = 1;
  bool negative_ = false;
  mutable std::array<char, 24> digits_{};
  mutable std::uint8_t size_ = 0;  // 0: not made yet
};

// "ddmm.mmmm" (latitude) or "dddmm.mmmm" (longitude) with its hemisphere
// letter. An empty field is NotValid, never 0°.
Rejection ReadAngle(std::string_view value, std::string_view hemisphere, bool latitude, Angle& out);

// A time of day "hhmmss" or "hhmmss.sss" (fraction kept to nine digits).
struct TimeOfDay {
  std::uint32_t seconds = 0;      // since midnight, 0 to 86,400 (a leap second)
  std::uint32_t nanoseconds = 0;
  std::uint8_t digits = 0;        // of the fraction as given
  bool operator==(const TimeOfDay&) const = default;
};
// Empty: NotValid; anything else that is no time: Unreadable.
Rejection ReadTimeOfDay(std::string_view text, TimeOfDay& out);

// A position, as RMC, GGA, GLL and GNS give one.
struct Fix {
  TimeOfDay time;
  Angle lat, lon;
  std::string_view altitude;        // GGA, GNS: metres as written, "" when none
  std::optional<std::int64_t> day;  // RMC: its date, in days since 1970-01-01
};
// The fix of a sentence of that type (Rmc, Gga, Gll or Gns).
Rejection ReadFix(SentenceType type, const Fields& fields, Fix& out);

// ZDA: a time and perhaps a date (its fields may be empty: no date).
struct DateOfDay {
  TimeOfDay time;
  std::optional<std::int64_t> day;
};
Rejection ReadZda(const Fields& fields, DateOfDay& out);

// WPL: a waypoint.
struct Waypoint {
  Angle lat, lon;
  std::string_view name;
};
Rejection ReadWpl(const Fields& fields, Waypoint& out);

// RTE: sentence `number` of `total` of a route; the waypoints' names are
// fields[first_name] on.
struct RoutePart {
  std::uint32_t total = 0, number = 0;
  std::string_view id;
  static constexpr std::size_t first_name = 4;
};
Rejection ReadRte(const Fields& fields, RoutePart& out);

// Whether a file is a log, from its first 20 lines that are neither blank
// nor comments: at least one is a sentence with a right checksum, and none
// is a chart or device line. nullopt when it cannot be read.
std::optional<bool> IsNmeaLog(InputStream& input);

// Whether `text` is a date "YYYY-MM-DD" that exists; its day since 1970.
std::optional<std::int64_t> ReadIsoDate(std::string_view text);

}  // namespace tessaline::nmea
