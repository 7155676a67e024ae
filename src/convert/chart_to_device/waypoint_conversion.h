#pragma once
// Waypoint file -> device point file: each waypoint line becomes a device
// line under its own name.

#include "convert/chart_to_device/chart_conversion_steps.h"

namespace tessaline::chart_to_device {

// A line "W;Name;;Coord2;Coord1;Value;..." with at least fields 0 to 4 gives
// the device line Coord1, Coord2, Value, "Name"; a missing Value is empty.
class WaypointLineRule {
 public:
  bool Take(std::string_view line, DevicePointTexts& point);
};

ConversionOutcome ConvertWaypointFile(Host& host, const ChartInput& input);

}  // namespace tessaline::chart_to_device
