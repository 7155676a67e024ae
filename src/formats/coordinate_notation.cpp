#include "formats/coordinate_notation.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "formats/device_point_line.h"
#include "formats/number_reader.h"

namespace tessaline {

namespace {

constexpr int kSignificantDigits = 15;
constexpr int kDecimals = 15;
constexpr const char* kZero = "0.000000000000000";

// Adds one to a string of decimal digits; "999" becomes "1000".
void Increment(std::string& digits) {
  for (std::size_t i = digits.size(); i > 0; --i) {
    if (digits[i - 1] != '9') {
      ++digits[i - 1];
      return;
    }
    digits[i - 1] = '0';
  }
  digits.insert(digits.begin(), '1');
}

}  // namespace

std::string CoordinateNotation(double value) {
  if (!std::isfinite(value) || value == 0.0) return kZero;

  // d.dddddddddddddde±x: the 15 significant digits and the exponent of the first.
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific, kSignificantDigits - 1);
  const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const std::size_t e = text.find('e');
  std::string significant;
  significant.reserve(kSignificantDigits);
  for (char c : text.substr(0, e)) {
    if (c != '.') significant += c;
  }
  int exponent = 0;
  const std::string_view exponent_text = text.substr(e + 1);
  std::from_chars(exponent_text.data() + (exponent_text.front() == '+' ? 1 : 0),
                  exponent_text.data() + exponent_text.size(), exponent);

  // The value times 10^15 as a whole number: the significant digits stand
  // for digits x 10^(exponent - 14), so they move by exponent - 14 + 15.
  const int shift = exponent - (kSignificantDigits - 1) + kDecimals;
  std::string scaled;
  if (shift >= 0) {
    scaled = significant;
    scaled.append(static_cast<std::size_t>(shift), '0');
  } else {
    const std::size_t drop = static_cast<std::size_t>(-shift);
    if (drop > significant.size()) return kZero;  // even the first digit is below half a unit
    scaled = significant.substr(0, significant.size() - drop);
    if (significant[significant.size() - drop] >= '5') Increment(scaled);
  }

  const std::size_t first = scaled.find_first_not_of('0');
  if (first == std::string::npos) return kZero;
  scaled.erase(0, first);
  if (scaled.size() <= static_cast<std::size_t>(kDecimals)) {
    scaled.insert(0, static_cast<std::size_t>(kDecimals) + 1 - scaled.size(), '0');
  }
  scaled.insert(scaled.size() - kDecimals, 1, '.');
  if (value < 0) scaled.insert(0, 1, '-');
  return scaled;
}

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The notation straight from the text, for a plain decimal ("-47.25",
// "5.", "007.125") of at most 15 significant digits and 15 decimals: the
// double nearest to such a decimal, rounded to 15 significant digits, is
// that decimal again, so the digits are only padded. False for any other
// text, which goes through the number.
bool AppendPlainCoordinateText(std::string& out, std::string_view text) {
  std::size_t i = 0;
  const bool negative = i < text.size() && text[i] == '-';
  if (negative) ++i;
  const std::size_t whole_start = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  std::string_view whole = text.substr(whole_start, i - whole_start);
  std::string_view fraction;
  if (i < text.size() && text[i] == '.') {
    const std::size_t fraction_start = ++i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    fraction = text.substr(fraction_start, i - fraction_start);
  }
  if (i != text.size() || whole.empty() || fraction.size() > static_cast<std::size_t>(kDecimals)) return false;
  whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
  const std::size_t fraction_significant =
      whole.empty() ? fraction.size() - std::min(fraction.find_first_not_of('0'), fraction.size()) : fraction.size();
  if (whole.size() + fraction_significant > static_cast<std::size_t>(kSignificantDigits)) return false;
  if (whole.empty() && fraction_significant == 0) {
    out += kZero;
    return true;
  }
  if (negative) out += '-';
  if (whole.empty()) {
    out += '0';
  } else {
    out += whole;
  }
  out += '.';
  out += fraction;
  out.append(static_cast<std::size_t>(kDecimals) - fraction.size(), '0');
  return true;
}
}  // namespace

bool AppendCoordinateText(std::string& out, std::string_view field) {
  const std::string_view text = TrimSpaces(field);
  if (AppendPlainCoordinateText(out, text)) return true;
  const std::optional<double> value = ReadAsNumber(text);
  if (!value) return false;
  out += CoordinateNotation(*value);
  return true;
}

std::optional<std::string> CoordinateText(std::string_view field) {
  std::string text;
  if (!AppendCoordinateText(text, field)) return std::nullopt;
  return text;
}

}  // namespace tessaline
