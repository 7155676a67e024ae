#include "formats/number_reader.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <system_error>

namespace tessaline {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<double> ReadPlainDecimal(std::string_view text) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin;
  const bool negative = p != end && *p == '-';
  if (negative) ++p;
  const char* const whole = p;
  while (p != end && IsDigit(*p)) ++p;
  const char* const whole_end = p;
  const char* fraction = p;
  if (p != end && *p == '.') {
    fraction = ++p;
    while (p != end && IsDigit(*p)) ++p;
  }
  const char* fraction_end = p;
  // Something else, no digit, or "." without a digit before it (which
  // from_chars does not take either).
  if (p != end || whole == whole_end) return std::nullopt;

  // The usual case at once: at most 15 significant digits and 22 decimals
  // are both exact in a double, so one division gives the nearest double,
  // as the full reading would, at a fraction of its cost. Zeros at either
  // end change nothing and do not count.
  while (fraction_end != fraction && fraction_end[-1] == '0') --fraction_end;
  const char* first = whole;
  while (first != whole_end && *first == '0') ++first;
  const std::size_t decimals = static_cast<std::size_t>(fraction_end - fraction);
  std::size_t significant = static_cast<std::size_t>(whole_end - first) + decimals;
  if (first == whole_end) {  // "0.00012": the zeros after the point lead too
    const char* digit = fraction;
    while (digit != fraction_end && *digit == '0') ++digit;
    significant = static_cast<std::size_t>(fraction_end - digit);
  }
  if (significant <= 15 && decimals <= 22) {
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::uint64_t mantissa = 0;
    for (const char* digit = first; digit != whole_end; ++digit) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(*digit - '0');
    }
    for (const char* digit = fraction; digit != fraction_end; ++digit) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(*digit - '0');
    }
    const double value = static_cast<double>(mantissa) / kPowersOfTen[decimals];
    return negative ? -value : value;
  }
  double value = 0;
  const auto read = std::from_chars(begin, end, value, std::chars_format::fixed);
  if (read.ec != std::errc() || read.ptr != end) return std::nullopt;
  return value;
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
