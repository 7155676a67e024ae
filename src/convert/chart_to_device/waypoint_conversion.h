#pragma once
// Waypoint file -> device point file: each waypoint line becomes a device
// line under its own name.

#include "convert/chart_to_device/chart_conversion_steps.h"

namespace tessaline::chart_to_device {

// A line "W;Name;;Coord2;Coord1;Value;..." with at least fields 0 to 4 gives
// the device line Coord1, Coord2, Value, "Name"; a missing Value is empty.
class WaypointLineRule {
 public:
  static constexpr ChartLineKind kPointKind = ChartLineKind::Waypoint;
  bool Take(std::string_view line, DevicePointTexts& point);
  // A waypoint line with more than its 24 fields had a ";" in its name, which
  // shifted the coordinates; any other non-empty line that gives nothing is
  // skipped.
  void NoteLosses(std::string_view line, bool taken, std::uint64_t line_number,
                  ConversionReport& report) const;
  ConversionSummary Summary(std::uint64_t device_lines) const;
  std::uint64_t Track() const { return 0; }
};

void ConvertWaypointFile(Host& host, const ChartInput& input, ConversionReport& report);

}  // namespace tessaline::chart_to_device
