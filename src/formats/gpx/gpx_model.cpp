#include "formats/gpx/gpx_model.h"

#include <algorithm>
#include <charconv>

#include "formats/coordinate_notation.h"
#include "formats/number_reader.h"

namespace tessaline::gpx {

namespace {
constexpr std::size_t kDecimals = 15;
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

namespace {

// The usual attribute ("47.000000254", "-4.5", ".5") as one integer of its
// digits, at most 2^53, and its count of decimals.
struct ShortDecimal {
  std::uint64_t digits = 0;
  std::size_t decimals = 0;
};

// Nullopt leaves the text to the full reading (which may still take it).
std::optional<ShortDecimal> ReadShort(std::string_view text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  ShortDecimal read;
  if (p != end && (*p == '-' || *p == '+')) ++p;
  auto digit = [&] { return p != end && static_cast<unsigned char>(*p - '0') <= 9; };
  // Unsigned, so that a text too long wraps harmlessly before it is refused.
  const char* const whole = p;
  while (digit()) read.digits = read.digits * 10 + static_cast<unsigned char>(*p++ - '0');
  std::size_t count = static_cast<std::size_t>(p - whole);
  if (p != end && *p == '.') {
    const char* const fraction = ++p;
    while (digit()) read.digits = read.digits * 10 + static_cast<unsigned char>(*p++ - '0');
    read.decimals = static_cast<std::size_t>(p - fraction);
    // "5." is left to the full reading.
    if (read.decimals == 0) return std::nullopt;
  }
  count += read.decimals;
  // No digit, something else, or more digits than 64 bits hold.
  if (p != end || count == 0 || count > 19) return std::nullopt;
  if (read.digits > (std::uint64_t{1} << 53)) return std::nullopt;
  return read;
}

}  // namespace

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

bool GpxDecimalWithin(std::string_view text, std::uint64_t limit) {
  const std::optional<ShortDecimal> read = ReadShort(TrimXmlBlanks(text));
  if (!read) {
    const std::optional<double> value = ReadGpxDecimal(text);
    return value && *value >= -static_cast<double>(limit) && *value <= static_cast<double>(limit);
  }
  // Compared as integers, digits <= limit * 10^decimals: the double's answer
  // too, for 90 and 180. With at most 14 decimals, a number above the limit
  // is above it by 10^-14 or more, which the nearest double keeps above (half
  // a step between doubles is 7.1 * 10^-15 near 90), but for 180 with 14
  // decimals (1.4 * 10^-14 there), where such a number needs more digits
  // than 2^53. With 15 decimals or more, no digits up to 2^53 pass 90.
  if (read->decimals >= 15) return true;
  std::uint64_t scaled = limit;
  for (std::size_t i = 0; i < read->decimals; ++i) scaled *= 10;
  return read->digits <= scaled;
}

std::string CoordinateFromGpx(std::string_view text) {
  std::string out;
  AppendCoordinateFromGpx(out, text);
  return out;
}

void AppendCoordinateFromGpx(std::string& out, std::string_view written) {
  std::string_view text = TrimXmlBlanks(written);
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
    out += CoordinateNotation(ReadGpxDecimal(written).value_or(0));
    return;
  }
  // Assembled whole, then added at once: this runs for every coordinate.
  // The sign, at most 15 digits before the point, the point, 15 decimals.
  char digits[1 + 15 + 1 + kDecimals];
  char* end = digits;
  if (negative && significant > 0) *end++ = '-';
  if (whole.empty()) {
    *end++ = '0';
  } else {
    end = std::copy(whole.begin(), whole.end(), end);
  }
  *end++ = '.';
  end = std::copy(decimals.begin(), decimals.end(), end);
  end = std::fill_n(end, kDecimals - decimals.size(), '0');
  out.append(digits, end);
}

}  // namespace tessaline::gpx
