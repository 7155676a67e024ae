#include "formats/number_reader.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <system_error>

#include "formats/decimal_scanner.h"

namespace tessaline {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

}  // namespace

std::optional<double> ReadPlainDecimal(std::string_view text) {
  // Neither "+" nor "." without a digit before it.
  const std::optional<ScannedDecimal> decimal = ScanDecimal(text);
  if (!decimal || decimal->sign == '+' || decimal->whole.empty()) return std::nullopt;
  return DecimalValue(*decimal);
}

std::optional<double> ReadAsNumber(std::string_view text) {
  // The usual case at once; a number too large or too small for a double
  // is left to the full reading, which tells the two apart.
  if (const std::optional<double> plain = ReadPlainDecimal(text)) return plain;
  std::size_t i = 0;
  auto skip_blanks = [&] {
    while (i < text.size() && IsBlank(text[i])) ++i;
  };

  // Collect the number's characters without blanks, in the form from_chars
  // takes: no leading '+', 'e' for the exponent.
  std::string clean;
  bool negative = false;
  skip_blanks();
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  bool seen_digit = false, seen_point = false;
  // Decimal magnitude bookkeeping, to tell overflow from underflow.
  std::int64_t integer_digits = 0;  // significant digits before the point
  std::int64_t leading_fraction_zeros = 0;
  bool significant = false;
  for (;;) {
    skip_blanks();
    if (i >= text.size()) break;
    const char c = text[i];
    if (IsDigit(c)) {
      seen_digit = true;
      if (c != '0') significant = true;
      if (!seen_point) {
        if (significant) ++integer_digits;
      } else if (!significant) {
        ++leading_fraction_zeros;
      }
      clean += c;
      ++i;
    } else if (c == '.' && !seen_point) {
      seen_point = true;
      clean += c;
      ++i;
    } else {
      break;
    }
  }
  if (!seen_digit) return 0.0;

  std::int64_t exponent = 0;
  {
    std::size_t save = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
      ++i;
      skip_blanks();
      bool exp_negative = false;
      if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        exp_negative = text[i] == '-';
        ++i;
      }
      std::string exp_digits;
      for (;;) {
        skip_blanks();
        if (i >= text.size() || !IsDigit(text[i])) break;
        exp_digits += text[i];
        ++i;
      }
      if (exp_digits.empty()) {
        i = save;  // "1e" reads as 1
      } else {
        std::size_t first = exp_digits.find_first_not_of('0');
        exp_digits = first == std::string::npos ? "0" : exp_digits.substr(first);
        if (exp_digits.size() > 12) exp_digits = "999999999999";  // far beyond any double
        std::from_chars(exp_digits.data(), exp_digits.data() + exp_digits.size(), exponent);
        if (exp_negative) exponent = -exponent;
        clean += 'e';
        clean += std::to_string(exponent);
      }
    }
  }

  if (!significant) return negative ? -0.0 : 0.0;

  double value = 0.0;
  const auto result = std::from_chars(clean.data(), clean.data() + clean.size(), value,
                                      std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // The decimal exponent of the leading significant digit decides which way.
    const std::int64_t magnitude =
        (integer_digits > 0 ? integer_digits - 1 : -(leading_fraction_zeros + 1)) + exponent;
    if (magnitude < 0) return negative ? -0.0 : 0.0;
    return std::nullopt;
  }
  if (result.ec != std::errc()) return 0.0;
  return negative ? -value : value;
}

bool HoldsNumber(std::string_view text) {
  std::size_t i = 0;
  bool sign = false, point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsBlank(c)) continue;
    if (IsDigit(c)) return true;
    if ((c == '+' || c == '-') && !sign && !point) {
      sign = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return false;
}

}  // namespace tessaline
