#include "formats/device_line_writer.h"

#include <cstring>

#include "formats/short_copy.h"

namespace tessaline {

namespace {
// Three commas, two quotes, CR LF.
constexpr std::size_t kFixedBytes = 3 + 2 + 2;
}  // namespace

std::size_t DeviceLineSize(const DevicePointTexts& point) {
  return point.coord1.size() + point.coord2.size() + point.value.size() + point.name.size() +
         kFixedBytes;
}

namespace {
char* Put(char* at, std::string_view text) { return CopyShort(at, text.data(), text.size()); }

// The line's bytes from `at` on; there must be DeviceLineSize(point) of room.
void FillDeviceLine(char* at, const DevicePointTexts& point) {
  at = Put(at, point.coord1);
  *at++ = ',';
  at = Put(at, point.coord2);
  *at++ = ',';
  for (const char c : point.value) *at++ = c == ',' ? '.' : c;
  *at++ = ',';
  *at++ = '"';
  at = Put(at, point.name);
  *at++ = '"';
  *at++ = '\r';
  *at = '\n';
}
}  // namespace

void AppendDeviceLine(std::string& out, const DevicePointTexts& point) {
  // Made whole, then added at once: a million lines would otherwise pay for
  // ten appends each.
  const std::size_t size = DeviceLineSize(point);
  char line[256];
  if (size <= sizeof line) {
    FillDeviceLine(line, point);
    out.append(line, size);
    return;
  }
  const std::size_t start = out.size();
  out.resize(start + size);
  FillDeviceLine(out.data() + start, point);
}

void AppendDeviceLineWithGroup(std::string& out, const DevicePointTexts& point, std::string_view group) {
  AppendDeviceLine(out, point);
  out.resize(out.size() - 2);  // the line end, put back after the group
  out += ',';
  out.append(group);
  out += "\r\n";
}

}  // namespace tessaline
