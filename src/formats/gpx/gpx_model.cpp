#include "formats/gpx/gpx_model.h"

#include <charconv>

#include "formats/coordinate_notation.h"
#include "formats/number_reader.h"

namespace tessaline::gpx {

namespace {
constexpr std::size_t kDecimals = 15;
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
}  // namespace

std::string_view PointValue(RunKind kind, const std::optional<std::string_view>& extension,
                            const std::optional<std::string_view>& elevation) {
  if (extension) return *extension;
  if (elevation) return *elevation;
  return kind == RunKind::Waypoint ? kNoValue : kTrackPointValue;
}

std::uint16_t GroupOfRun(std::uint64_t run) {
  return static_cast<std::uint16_t>((run - 1) % kMaxGroup + 1);
}

std::string_view TrimXmlBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<double> ReadGpxDecimal(std::string_view text) {
  text = TrimXmlBlanks(text);
  // An XML decimal may start with "+" or with its "."; the plain reading
  // takes neither, so "+" goes and a "0" comes before a leading ".".
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  if (text.find_first_of("0123456789") == std::string_view::npos) return std::nullopt;
  std::string with_zero;
  if (text.front() == '.' || (text.front() == '-' && text.size() > 1 && text[1] == '.')) {
    with_zero.assign(text);
    with_zero.insert(with_zero.front() == '-' ? 1 : 0, 1, '0');
    text = with_zero;
  }
  return ReadPlainDecimal(text);
}

std::string CoordinateFromGpx(std::string_view text, double value) {
  std::string out;
  AppendCoordinateFromGpx(out, text, value);
  return out;
}

void AppendCoordinateFromGpx(std::string& out, std::string_view text, double value) {
  text = TrimXmlBlanks(text);
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  const std::size_t dot = text.find('.');
  std::string_view whole = text.substr(0, dot);
  std::string_view decimals = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
  while (!decimals.empty() && decimals.back() == '0') decimals.remove_suffix(1);
  // Significant digits: the whole part's, then the decimals' after any
  // leading zeros when there is no whole part.
  std::size_t significant = whole.size() + decimals.size();
  if (whole.empty()) {
    std::size_t zeros = 0;
    while (zeros < decimals.size() && decimals[zeros] == '0') ++zeros;
    significant = decimals.size() - zeros;
  }
  if (significant > 15 || decimals.size() > kDecimals) {
    out += CoordinateNotation(value);
    return;
  }
  if (negative && significant > 0) out += '-';
  if (whole.empty()) {
    out += '0';
  } else {
    out.append(whole);
  }
  out += '.';
  out.append(decimals);
  out.append(kDecimals - decimals.size(), '0');
}

}  // namespace tessaline::gpx
