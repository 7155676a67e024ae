#include "convert/chart_to_device/waypoint_conversion.h"

#include <algorithm>

#include "formats/chart_line_reader.h"

namespace tessaline::chart_to_device {

namespace {
constexpr std::ptrdiff_t kWaypointSemicolons = 23;  // 24 fields
}  // namespace

bool WaypointLineRule::Take(std::string_view text, DevicePointTexts& point) {
  if (KindOfChartLine(text) != ChartLineKind::Waypoint) return false;
  const ChartLine line(text);
  if (!line.Has(5)) return false;  // needs fields 0 to 4
  point = DevicePointTexts{line.Field(4), line.Field(3), line.Field(5), line.Field(1)};
  return true;
}

void WaypointLineRule::NoteLosses(std::string_view line, bool taken, std::uint64_t line_number,
                                  ConversionReport& report) const {
  if (taken && std::count(line.begin(), line.end(), ';') > kWaypointSemicolons) {
    report.Warn(messages::kNameWithSemicolon, line_number);
  } else if (!taken && !line.empty()) {
    report.Warn(messages::kLineSkipped, line_number);
  }
}

ConversionSummary WaypointLineRule::Summary(std::uint64_t device_lines) const {
  return ConversionSummary{ConversionSummary::Form::Waypoints, 0, 0, device_lines, 0, {}};
}

void ConvertWaypointFile(Host& host, const ChartInput& input, ConversionReport& report) {
  ConvertChartLines<WaypointLineRule>(host, input, report);
}

}  // namespace tessaline::chart_to_device
