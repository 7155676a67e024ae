#pragma once
// How the program's points meet GPX, in one place.
//
//   device/chart point      GPX
//   Coord1                  lat (decimal degrees, WGS84)
//   Coord2                  lon
//   Name                    <name>, UTF-8 (8-bit names: see eight_bit_text.h)
//   Value                   <extensions><tsl:value> of kExtensionNamespace,
//                           text unchanged; none where reading it back gives
//                           the same (a waypoint's "-9999")
//   W line's field 2 and    <extensions><tsl:fields>: field 2, then ";" and
//   fields 8 on             each field from 8 on, verbatim; none when they
//                           are the ones this program writes (fields 6 and
//                           7 repeat the coordinates and are rebuilt)
//   run of several points   <trk> with one <trkseg>, named after its first point
//   run of one point        <wpt>
//
// Reading GPX, every <trk> (all its segments), <rte> and <wpt> is one run,
// in document order. A point's Value is the program's extension, else <ele>,
// else "-9999" for a waypoint and "0" for a track or route point. A point's
// own <name>, even an empty <name/>, is its name; without one it takes its
// run's. Device files written from GPX number the runs in a fifth field, Group.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessaline::gpx {

inline constexpr std::string_view kGpxNamespace = "http://www.topografix.com/GPX/1/1";
inline constexpr std::string_view kExtensionNamespace = "urn:tessaline:gpx:1";
inline constexpr std::string_view kExtensionPrefix = "tsl";
inline constexpr std::string_view kValueElement = "value";
inline constexpr std::string_view kFieldsElement = "fields";

inline constexpr std::string_view kNoValue = "-9999";
inline constexpr std::string_view kTrackPointValue = "0";

inline constexpr std::uint64_t kMaxGroup = 32767;

enum class RunKind { Waypoint, Track, Route };

// The Value a point read from GPX carries.
std::string_view PointValue(RunKind kind, const std::optional<std::string_view>& extension,
                            const std::optional<std::string_view>& elevation);

// Whether a Value goes into GPX at all: always but where reading it back
// without one gives the same (a waypoint's "-9999"). An empty one does, so
// that it comes back empty rather than as the default.
inline bool WritesValue(RunKind kind, std::string_view value) {
  return kind != RunKind::Waypoint || value != kNoValue;
}

// The Group of the `run`th run (from 1): 1, 2, ... 32767, then 1 again, so
// never 0 and never the same for two adjacent runs.
std::uint16_t GroupOfRun(std::uint64_t run);

// A lat or lon attribute: an optional sign, digits with at most one ".",
// XML blanks around; nullopt for anything else.
std::optional<double> ReadGpxDecimal(std::string_view text);

// Whether a lat or lon attribute reads (as ReadGpxDecimal reads it) as a
// number within -`limit` and `limit`, 90 or 180: the same answer as reading
// it and comparing, with no division for the usual texts.
bool GpxDecimalWithin(std::string_view text, std::uint64_t limit);

inline bool LatitudeInRange(double value) { return value >= -90.0 && value <= 90.0; }
inline bool LongitudeInRange(double value) { return value >= -180.0 && value <= 180.0; }

// A coordinate in the chart's notation (15 decimals, "."). `text` is what
// ReadGpxDecimal accepted: a text of at most 15 significant digits is
// padded as it stands, anything longer is rounded from what it reads as.
std::string CoordinateFromGpx(std::string_view text);
void AppendCoordinateFromGpx(std::string& out, std::string_view text);

// Without XML blanks (space, tab, CR, LF) at either end.
inline std::string_view TrimXmlBlanks(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace tessaline::gpx
