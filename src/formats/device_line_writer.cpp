#include "formats/device_line_writer.h"

#include <algorithm>

namespace tessaline {

namespace {
// Three commas, two quotes, CR LF.
constexpr std::size_t kFixedBytes = 3 + 2 + 2;
}  // namespace

std::size_t DeviceLineSize(const DevicePointTexts& point) {
  return point.coord1.size() + point.coord2.size() + point.value.size() + point.name.size() +
         kFixedBytes;
}

void AppendDeviceLine(std::string& out, const DevicePointTexts& point) {
  out.append(point.coord1);
  out += ',';
  out.append(point.coord2);
  out += ',';
  const std::size_t value_start = out.size();
  out.append(point.value);
  std::replace(out.begin() + static_cast<std::ptrdiff_t>(value_start), out.end(), ',', '.');
  out += ",\"";
  out.append(point.name);
  out += "\"\r\n";
}

void AppendDeviceLineWithGroup(std::string& out, const DevicePointTexts& point, std::string_view group) {
  AppendDeviceLine(out, point);
  out.resize(out.size() - 2);  // the line end, put back after the group
  out += ',';
  out.append(group);
  out += "\r\n";
}

}  // namespace tessaline
