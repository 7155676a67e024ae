#include "formats/gpx/gpx_model.h"

#include <algorithm>

#include "formats/coordinate_notation.h"
#include "formats/decimal_scanner.h"

namespace tessaline::gpx {

std::string_view PointValue(RunKind kind, const std::optional<std::string_view>& extension,
                            const std::optional<std::string_view>& elevation) {
  if (extension) return *extension;
  if (elevation) return *elevation;
  return kind == RunKind::Waypoint ? kNoValue : kTrackPointValue;
}

std::uint16_t GroupOfRun(std::uint64_t run) {
  return static_cast<std::uint16_t>((run - 1) % kMaxGroup + 1);
}

std::optional<double> ReadGpxDecimal(std::string_view text) {
  const std::optional<ScannedDecimal> decimal = ScanDecimal(TrimXmlBlanks(text));
  if (!decimal) return std::nullopt;
  return DecimalValue(*decimal);
}

bool GpxDecimalWithin(std::string_view text, std::uint64_t limit) {
  const std::optional<ScannedDecimal> decimal = ScanDecimal(TrimXmlBlanks(text));
  if (!decimal) return false;
  std::uint64_t whole = 0;
  for (const char digit : decimal->whole) {
    // Past the limit it stays past it, without growing further.
    whole = std::min<std::uint64_t>(whole * 10 + static_cast<unsigned char>(digit - '0'), limit + 1);
  }
  // The whole part tells, but where it is the limit itself (90.000000000000001
  // reads as 90) or the digits are so many that the reading may refuse them.
  if (whole != limit && decimal->whole.size() + decimal->fraction.size() <= 100) return whole < limit;
  const std::optional<double> value = DecimalValue(*decimal);
  return value && *value >= -static_cast<double>(limit) && *value <= static_cast<double>(limit);
}

std::string CoordinateFromGpx(std::string_view text) {
  std::string out;
  AppendCoordinateFromGpx(out, text);
  return out;
}

void AppendCoordinateFromGpx(std::string& out, std::string_view written) {
  if (AppendPlainCoordinate(out, TrimXmlBlanks(written))) return;
  out += CoordinateNotation(ReadGpxDecimal(written).value_or(0));
}

}  // namespace tessaline::gpx
