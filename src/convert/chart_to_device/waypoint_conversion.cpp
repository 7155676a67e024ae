#include "convert/chart_to_device/waypoint_conversion.h"

#include "formats/chart_line_reader.h"

namespace tessaline::chart_to_device {

bool WaypointLineRule::Take(std::string_view text, DevicePointTexts& point) {
  if (KindOfChartLine(text) != ChartLineKind::Waypoint) return false;
  const ChartLine line(text);
  if (!line.Has(5)) return false;  // needs fields 0 to 4
  point = DevicePointTexts{line.Field(4), line.Field(3), line.Field(5), line.Field(1)};
  return true;
}

ConversionOutcome ConvertWaypointFile(Host& host, const ChartInput& input) {
  return ConvertChartLines<WaypointLineRule>(host, input);
}

}  // namespace tessaline::chart_to_device
