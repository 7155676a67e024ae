// The text notations on the fuzzer's bytes: read as a number, the
// coordinate text, the Value text under C and French settings, the
// fixed-width slots of the staging records, the base name of a path and the
// time-of-day format. Each result is checked against what it promises, not
// against another copy of the same code.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "formats/coordinate_notation.h"
#include "formats/device_point_line.h"
#include "formats/number_reader.h"
#include "platform/path_names.h"
#include "formats/percentage.h"
#include "formats/time_stamp.h"
#include "platform/utf8.h"
#include "formats/value_notation.h"
#include "fuzz_support.h"

namespace {

using namespace tessaline;
using namespace tessaline::fuzz;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string WithoutBlanks(std::string_view text) {
  std::string kept;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') kept += c;
  }
  return kept;
}

bool SameReading(const std::optional<double>& a, const std::optional<double>& b) {
  if (a.has_value() != b.has_value()) return false;
  return !a || *a == *b;
}

void CheckReadAsNumber(std::string_view text) {
  const std::optional<double> value = ReadAsNumber(text);
  if (value) Check(std::isfinite(*value), "read as a number gave an infinity or NaN", text);
  // Blanks anywhere are passed over.
  Check(SameReading(value, ReadAsNumber(WithoutBlanks(text))), "blanks changed the number read", text);
  // Reading stops at the first character that cannot continue the number:
  // anything after a character no number holds changes nothing.
  Check(SameReading(value, ReadAsNumber(std::string(text) + "x123")), "text after the number was read",
        text);
}

// -?digits "." 15 digits, no "-0.000000000000000".
bool IsCoordinateText(std::string_view text) {
  std::size_t i = text.substr(0, 1) == "-" ? 1 : 0;
  const std::size_t start = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  if (i == start || i + 16 != text.size() || text[i] != '.') return false;
  for (std::size_t j = i + 1; j < text.size(); ++j) {
    if (!IsDigit(text[j])) return false;
  }
  if (i - start > 1 && text[start] == '0') return false;  // no leading zeros
  return text[0] != '-' || text.find_first_of("123456789") != std::string_view::npos;
}

void CheckCoordinate(std::string_view field) {
  const std::optional<std::string> text = CoordinateText(field);
  const std::optional<double> value = ReadAsNumber(TrimSpaces(field));
  Check(text.has_value() == value.has_value(), "a coordinate read and written disagree", field);
  if (!text) return;
  Check(IsCoordinateText(*text), "a coordinate is not in the notation", *text);
  // Fifteen significant digits, then at most half a unit of the 15th decimal.
  const std::optional<double> back = ReadAsNumber(*text);
  Check(back.has_value(), "a coordinate text does not read back", *text);
  const double error = std::fabs(*back - *value);
  const double allowed = std::fabs(*value) * 6e-15 + 6e-16;
  Check(error <= allowed, "a coordinate text is not its number", field);
}

// Optional sign, digits with at most one ".", one digit at least.
bool IsPlainDecimal(std::string_view text) {
  std::size_t i = 0, digits = 0, points = 0;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) ++i;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) ++digits;
    else if (text[i] == '.') ++points;
    else return false;
  }
  return digits > 0 && points <= 1;
}

void CheckValue(std::string_view field, const RegionalSettings& regional) {
  const std::string written = ValueNotation(field, regional);
  const std::string_view trimmed = TrimSpaces(field);
  if (!IsPlainDecimal(trimmed)) {
    Check(written == trimmed, "a Value that is no number was not kept as it stands", field);
    return;
  }
  // -?digits mark two digits, no "-0.00", no leading zeros.
  const std::string& mark = regional.decimal_mark;
  Check(written.size() >= 3 + mark.size(), "a Value text is too short", written);
  const std::size_t mark_at = written.size() - 2 - mark.size();
  Check(written.compare(mark_at, mark.size(), mark) == 0, "a Value text lacks the regional mark", written);
  const std::string_view whole = std::string_view(written).substr(written[0] == '-' ? 1 : 0,
                                                                  mark_at - (written[0] == '-' ? 1 : 0));
  Check(!whole.empty() && (whole.size() == 1 || whole[0] != '0'), "a Value's whole part", written);
  for (char c : whole) Check(IsDigit(c), "a Value's whole part", written);
  Check(IsDigit(written[written.size() - 1]) && IsDigit(written[written.size() - 2]),
        "a Value's two decimals", written);
  Check(written[0] != '-' || written.find_first_of("123456789") != std::string::npos, "a negative zero Value",
        written);
  // The sign follows the text's; within half a hundredth of its number.
  const bool negative_text = trimmed[0] == '-';
  if (written[0] == '-') Check(negative_text, "a Value changed sign", field);
  if (trimmed.size() < 30) {
    std::string point_form = written;
    point_form.replace(mark_at, mark.size(), ".");
    const double shown = *ReadAsNumber(point_form);
    const double original = *ReadAsNumber(trimmed);
    Check(std::fabs(shown - original) <= 0.005 + std::fabs(original) * 1e-15, "a Value is not its number",
          field);
  }
}

void CheckSlot(std::string_view text, std::size_t width) {
  const std::string slot = Slot(text, width);
  Check(slot.size() == width, "a slot of the wrong width", text);
  const std::string_view kept = TrimSpaces(slot);
  // What is kept is the text's beginning; the rest is padding.
  const std::size_t content = slot.find_last_not_of(' ') == std::string::npos ? 0 : slot.find_last_not_of(' ') + 1;
  Check(text.substr(0, content) == std::string_view(slot).substr(0, content), "a slot changed the text", text);
  if (IsValidUtf8(text)) Check(IsValidUtf8(slot), "a slot cut a UTF-8 character", text);
  if (text.size() <= width) Check(std::string_view(slot).substr(0, text.size()) == text, "a short text was cut", text);
  (void)kept;
}

void CheckBaseName(std::string_view path) {
  const std::string base = BaseName(path);
  const std::string folder = FolderOfPath(path);
  Check(path.substr(0, base.size()) == base, "a base name is not the path's beginning", path);
  Check(base.size() >= folder.size() && base.compare(0, folder.size(), folder) == 0,
        "a base name cut into the folder", path);
  // Four characters go, or none when the name has four or fewer (a name
  // is never left empty); a UTF-8 name counts characters, any other bytes.
  const std::string name = FileNameOfPath(path);
  auto characters = [&](std::string_view text) {
    if (!IsValidUtf8(name)) return text.size();
    std::size_t count = 0;
    for (char c : text) count += IsUtf8Continuation(c) ? 0 : 1;
    return count;
  };
  const std::size_t in_name = characters(name);
  Check(characters(path.substr(base.size())) == (in_name <= 4 ? 0 : 4),
        "a base name did not remove four characters", path);
  Check(FileNameOfPath(base) != "" || name.empty(), "a base name with no file name left", path);
  Check(FolderOfPath(path) + FileNameOfPath(path) == std::string(path), "folder and file name are not the path",
        path);
}

void CheckTimeText(std::string_view format) {
  const LocalTime time{2024, 12, 31, 23, 59, 58};
  const std::string text = TimeText(time, format, RegionalSettings::French());
  Check(text.size() <= format.size() * 16 + 16, "a time text out of all proportion", format);
}

void CheckPercentage(const std::uint8_t* data, std::size_t size) {
  if (size < 16) return;
  double part, whole;
  std::memcpy(&part, data, sizeof part);
  std::memcpy(&whole, data + 8, sizeof whole);
  Check(IsPercentageText(PercentageOf(part, whole)), "a percentage outside 0-100");
  Check(IsPercentageText(PercentageText(part)), "a percentage outside 0-100");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckReadAsNumber(text);
  CheckCoordinate(text);
  CheckValue(text, RegionalSettings::C());
  CheckValue(text, RegionalSettings::French());
  for (std::size_t width : {kCoordinateWidth, kValueWidth, kNameWidth, kGroupWidth}) CheckSlot(text, width);
  CheckBaseName(text);
  CheckTimeText(text);
  CheckPercentage(data, size);
  DevicePointFields fields;
  if (ReadDevicePointLine(text, fields) == DeviceLineProblem::None) {
    Check(fields.name.size() + 2 <= text.size(), "a name longer than its line", text);
  }
  return 0;
}
