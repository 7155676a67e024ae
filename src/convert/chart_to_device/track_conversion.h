#pragma once
// Track file -> device point file: each point line becomes a device line
// named after the last track header above it.

#include "convert/chart_to_device/chart_conversion_steps.h"

namespace tessaline::chart_to_device {

// A header "T;name;..." makes "name" the current track name; a point line
// "P;Coord2;Coord1;Value;..." with at least fields 0 to 2 gives the device
// line Coord1, Coord2, Value, "name". Points above the first header belong
// to no track and are dropped.
class TrackLineRule {
 public:
  static constexpr ChartLineKind kPointKind = ChartLineKind::TrackPoint;
  bool Take(std::string_view line, DevicePointTexts& point);
  // A header with more than its four fields had a ";" in its name, which
  // cut the name; any other non-empty line that gives nothing is skipped.
  void NoteLosses(std::string_view line, bool taken, std::uint64_t line_number,
                  ConversionReport& report) const;
  // The tracks that gave at least one point, and those points.
  ConversionSummary Summary(std::uint64_t device_lines) const;
  std::uint64_t Track() const { return tracks_; }

 private:
  std::string track_name_;
  bool in_track_ = false;
  bool track_has_points_ = false;
  std::uint64_t tracks_ = 0;
};

void ConvertTrackFile(Host& host, const ChartInput& input, ConversionReport& report);

}  // namespace tessaline::chart_to_device
