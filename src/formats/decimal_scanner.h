#pragma once
// The one scanner of plain decimal texts: an optional sign, digits, at most
// one "." and at least one digit ("-47.25", "+5.", ".125", "007.5"). Every
// reading and writing of such a text stands on it: the plain reading of a
// number, the padding of a coordinate to the chart's notation, the GPX
// coordinates and their range check. Independent of the process locale.

#include <cstddef>
#include <optional>
#include <string_view>

namespace tessaline {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct ScannedDecimal {
  std::string_view text;      // all of it
  char sign = 0;              // '-', '+', or 0 without one
  std::string_view whole;     // the digits before the point, as written
  std::string_view fraction;  // the digits after it, as written

  bool negative() const { return sign == '-'; }
  // The digits that count: `whole` without the zeros that lead it,
  // `fraction` without the zeros that end it.
  std::string_view WholeDigits() const {
    std::string_view digits = whole;
    while (!digits.empty() && digits.front() == '0') digits.remove_prefix(1);
    return digits;
  }
  std::string_view Decimals() const {
    std::string_view digits = fraction;
    while (!digits.empty() && digits.back() == '0') digits.remove_suffix(1);
    return digits;
  }
  // From the first digit other than 0 to the last of Decimals() ("0.00120":
  // 2); zeros at either end change nothing.
  std::size_t Significant() const {
    const std::string_view whole_digits = WholeDigits();
    std::string_view decimals = Decimals();
    if (!whole_digits.empty()) return whole_digits.size() + decimals.size();
    // "0.00012": the zeros after the point lead too.
    while (!decimals.empty() && decimals.front() == '0') decimals.remove_prefix(1);
    return decimals.size();
  }
};

namespace decimal_scanner_detail {
inline const char* SkipDigits(const char* p, const char* end) {
  while (p != end && IsDigit(*p)) ++p;
  return p;
}
}  // namespace decimal_scanner_detail

// The parts of `text`, which must be a plain decimal and nothing else (no
// blank, exponent or second sign); nullopt for anything else. Inline: it
// runs for every coordinate of every file.
inline std::optional<ScannedDecimal> ScanDecimal(std::string_view text) {
  ScannedDecimal decimal;
  decimal.text = text;
  const char* p = text.data();
  const char* const end = p + text.size();
  if (p != end && (*p == '-' || *p == '+')) decimal.sign = *p++;
  const char* const whole = p;
  p = decimal_scanner_detail::SkipDigits(p, end);
  decimal.whole = std::string_view(whole, static_cast<std::size_t>(p - whole));
  if (p != end && *p == '.') {
    const char* const fraction = ++p;
    p = decimal_scanner_detail::SkipDigits(p, end);
    decimal.fraction = std::string_view(fraction, static_cast<std::size_t>(p - fraction));
  }
  if (p != end || (decimal.whole.empty() && decimal.fraction.empty())) return std::nullopt;
  return decimal;
}

// The double nearest to the decimal, "-0" giving -0.0; nullopt beyond the
// range of a double, and for digits so far after the point that the
// nearest double is not a normal one.
std::optional<double> DecimalValue(const ScannedDecimal& decimal);

}  // namespace tessaline
