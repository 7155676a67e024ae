#pragma once
// A device point line as the chart-to-device conversions write it:
//   Coord1 "," Coord2 "," Value "," '"' Name '"' CR LF
// The texts are copied as they are, with one exception: a "," in Value
// becomes ".". A value written under French settings ("12,50") would
// otherwise split into two device fields and push the name into the group.
// A comma in a coordinate or in the name is left alone (the format has no
// escaping; such a line reads back with shifted fields).

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaline {

struct DevicePointTexts {
  std::string_view coord1;
  std::string_view coord2;
  std::string_view value;
  std::string_view name;  // without its quotes
};

// Bytes AppendDeviceLine adds for `point`.
std::size_t DeviceLineSize(const DevicePointTexts& point);

void AppendDeviceLine(std::string& out, const DevicePointTexts& point);

// The same line with a fifth field, Group, before its end: the form of files
// whose runs must survive (the device-to-chart reader cuts runs by Group).
void AppendDeviceLineWithGroup(std::string& out, const DevicePointTexts& point, std::string_view group);

}  // namespace tessaline
