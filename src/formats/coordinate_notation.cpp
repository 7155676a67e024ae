#include "formats/coordinate_notation.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "formats/decimal_scanner.h"
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

bool AppendPlainCoordinate(std::string& out, std::string_view text) {
  const std::optional<ScannedDecimal> decimal = ScanDecimal(text);
  if (!decimal) return false;
  const std::string_view whole = decimal->WholeDigits(), decimals = decimal->Decimals();
  const std::size_t significant = decimal->Significant();
  if (significant > static_cast<std::size_t>(kSignificantDigits) || decimals.size() > static_cast<std::size_t>(kDecimals)) {
    return false;
  }
  // Made whole, then added at once: this runs for every coordinate. The
  // sign, at most 15 digits before the point, the point, 15 decimals.
  char digits[1 + kSignificantDigits + 1 + kDecimals];
  char* at = digits;
  if (decimal->negative() && significant > 0) *at++ = '-';  // no "-0.000000000000000"
  if (whole.empty()) {
    *at++ = '0';
  } else {
    at = std::copy(whole.begin(), whole.end(), at);
  }
  *at++ = '.';
  at = std::copy(decimals.begin(), decimals.end(), at);
  at = std::fill_n(at, static_cast<std::size_t>(kDecimals) - decimals.size(), '0');
  out.append(digits, at);
  return true;
}

bool AppendCoordinateText(std::string& out, std::string_view field) {
  const std::string_view text = TrimSpaces(field);
  if (AppendPlainCoordinate(out, text)) return true;
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
