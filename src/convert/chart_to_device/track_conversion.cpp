#include "convert/chart_to_device/track_conversion.h"

#include <algorithm>

#include "formats/chart_line_reader.h"

namespace tessaline::chart_to_device {

namespace {
constexpr std::ptrdiff_t kHeaderSemicolons = 3;  // "T;name;1;1"
}  // namespace

bool TrackLineRule::Take(std::string_view text, DevicePointTexts& point) {
  const ChartLineKind kind = KindOfChartLine(text);
  if (kind == ChartLineKind::TrackHeader) {
    // An empty name is still a track: its points carry a name of two quotes.
    track_name_.assign(ChartLine(text).Field(1));
    in_track_ = true;
    track_has_points_ = false;
    return false;
  }
  if (kind != ChartLineKind::TrackPoint || !in_track_) return false;
  const ChartLine line = ChartLine::UpToField(text, 3);
  if (!line.Has(3)) return false;  // needs the kind and both coordinates
  point = DevicePointTexts{line.Field(2), line.Field(1), line.Field(3), track_name_};
  if (!track_has_points_) ++tracks_;
  track_has_points_ = true;
  return true;
}

void TrackLineRule::NoteLosses(std::string_view line, bool taken, std::uint64_t line_number,
                               ConversionReport& report) const {
  if (KindOfChartLine(line) == ChartLineKind::TrackHeader) {
    if (std::count(line.begin(), line.end(), ';') > kHeaderSemicolons) {
      report.Warn(messages::kNameWithSemicolon, line_number);
    }
  } else if (!taken && !line.empty()) {
    report.Warn(messages::kLineSkipped, line_number);
  }
}

ConversionSummary TrackLineRule::Summary(std::uint64_t device_lines) const {
  return ConversionSummary{ConversionSummary::Form::Tracks, tracks_, device_lines, 0, 0, {}};
}

void ConvertTrackFile(Host& host, const ChartInput& input, ConversionReport& report) {
  ConvertChartLines<TrackLineRule>(host, input, report);
}

}  // namespace tessaline::chart_to_device
