#include "convert/chart_to_device/track_conversion.h"

#include "formats/chart_line_reader.h"

namespace tessaline::chart_to_device {

bool TrackLineRule::Take(std::string_view text, DevicePointTexts& point) {
  const ChartLineKind kind = KindOfChartLine(text);
  if (kind == ChartLineKind::TrackHeader) {
    // An empty name is still a track: its points carry a name of two quotes.
    track_name_.assign(ChartLine(text).Field(1));
    in_track_ = true;
    return false;
  }
  if (kind != ChartLineKind::TrackPoint || !in_track_) return false;
  const ChartLine line(text);
  if (!line.Has(3)) return false;  // needs the kind and both coordinates
  point = DevicePointTexts{line.Field(2), line.Field(1), line.Field(3), track_name_};
  return true;
}

ConversionOutcome ConvertTrackFile(Host& host, const ChartInput& input) {
  return ConvertChartLines<TrackLineRule>(host, input);
}

}  // namespace tessaline::chart_to_device
