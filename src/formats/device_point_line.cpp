#include "formats/device_point_line.h"

#include <array>

#include "platform/utf8.h"

namespace tessaline {

bool HasDeviceFileName(std::string_view path) {
  if (path.size() < 3) return false;
  const std::string_view end = path.substr(path.size() - 3);
  auto is = [](char c, char lower) { return c == lower || c == lower - 'a' + 'A'; };
  return is(end[0], 'z') && is(end[1], 'b') && is(end[2], 'x');
}

DeviceLineProblem ReadDevicePointLine(std::string_view line, DevicePointFields& fields) {
  // Pieces of "," + line + ",": piece 0 is always empty, so the line's own
  // fields are pieces 1 onwards and the closing comma adds one empty piece
  // after the last of them. Only pieces 1 to 5 matter.
  std::array<std::string_view, 6> pieces{};
  std::size_t count = 1;  // piece 0
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = line.find(',', start);
    const std::string_view piece =
        line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    if (count < pieces.size()) pieces[count] = piece;
    ++count;
    if (comma == std::string_view::npos || count >= pieces.size()) break;
    start = comma + 1;
  }
  const bool closing_piece_added = count < pieces.size();
  if (closing_piece_added) ++count;  // the empty piece of the closing comma

  // An empty line is ",," (pieces 0 to 2); two fields give pieces 0 to 3;
  // three fields reach piece 4 only through the closing comma: the name is
  // missing, which the user is told as too few fields, not a short name.
  if (count < 5 || (closing_piece_added && count == 5)) return DeviceLineProblem::TooFewFields;
  if (pieces[4].size() < 2) return DeviceLineProblem::NameTooShort;

  fields.coord1 = pieces[1];
  fields.coord2 = pieces[2];
  fields.value = pieces[3];
  fields.name = pieces[4].substr(1, pieces[4].size() - 2);
  fields.group = pieces[5];
  fields.name_field = pieces[4];
  return DeviceLineProblem::None;
}

void AppendSlot(std::string& out, std::string_view text, std::size_t width) {
  const std::string_view kept = CutToWidth(text, width);
  out.append(kept);
  out.append(width - kept.size(), ' ');
}

std::string Slot(std::string_view text, std::size_t width) {
  std::string slot;
  slot.reserve(width);
  AppendSlot(slot, text, width);
  return slot;
}

std::string_view TrimSpaces(std::string_view text) {
  // Most fields have no space at either end.
  if (text.empty() || (text.front() != ' ' && text.back() != ' ')) return text;
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace tessaline
