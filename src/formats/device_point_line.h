#pragma once
// A device point line as the reader takes it apart: the line wrapped in
// commas and split, the name without its enclosing characters, and the
// fixed-width text slots the staging store keeps the fields in.

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaline {

// Whether `path` names a device point file to read: its file name ends in
// "zbx" in any case, since device media store upper-case names. The
// character before plays no part ("trace_zbx" is one).
bool HasDeviceFileName(std::string_view path);

// Widths of the kept fields, in bytes.
inline constexpr std::size_t kCoordinateWidth = 20;
inline constexpr std::size_t kValueWidth = 10;
inline constexpr std::size_t kNameWidth = 50;
inline constexpr std::size_t kGroupWidth = 10;

// The five fields of a device line, views into the line. `name` is field 4
// without its first and last character (normally the double quotes).
struct DevicePointFields {
  std::string_view coord1, coord2, value, name, group;
  std::string_view name_field;  // field 4 as it stands, enclosing characters included
};

enum class DeviceLineProblem {
  None,
  TooFewFields,   // fewer than four fields (an empty line among them)
  NameTooShort,   // field 4 has fewer than two characters
};

// Reads one line (without its line end). The line is taken as "," + line +
// "," split at every comma: pieces 1 to 5 are the fields, later ones are
// ignored, and a line of exactly four fields gets an empty Group.
DeviceLineProblem ReadDevicePointLine(std::string_view line, DevicePointFields& fields);

// Appends `text` in a slot of `width` bytes: cut to the width (never inside
// a UTF-8 character when the text is valid UTF-8), padded with spaces.
void AppendSlot(std::string& out, std::string_view text, std::size_t width);
std::string Slot(std::string_view text, std::size_t width);

// Without leading and trailing spaces (what the padding of a slot adds).
std::string_view TrimSpaces(std::string_view text);

}  // namespace tessaline
