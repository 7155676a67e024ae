#include "formats/value_notation.h"

#include <algorithm>

#include "formats/device_point_line.h"

namespace tessaline {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string ValueNotation(std::string_view field, const RegionalSettings& regional) {
  const std::string_view text = TrimSpaces(field);

  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::string_view whole, fraction;
  const std::size_t whole_start = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  whole = text.substr(whole_start, i - whole_start);
  if (i < text.size() && text[i] == '.') {
    const std::size_t fraction_start = ++i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    fraction = text.substr(fraction_start, i - fraction_start);
  }
  if (i != text.size() || (whole.empty() && fraction.empty())) return std::string(text);

  // Hundredths as a decimal digit string: the whole part, two decimals, and
  // one more when the third decimal is 5 or more (away from zero).
  std::string digits(whole);
  for (std::size_t d = 0; d < 2; ++d) digits += d < fraction.size() ? fraction[d] : '0';
  if (fraction.size() > 2 && fraction[2] >= '5') {
    std::size_t k = digits.size();
    while (k > 0 && digits[k - 1] == '9') digits[--k] = '0';
    if (k == 0) {
      digits.insert(digits.begin(), '1');
    } else {
      ++digits[k - 1];
    }
  }
  // At least one digit before the mark, no leading zeros beyond it.
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) negative = false;  // no "-0,00"
  digits.erase(0, std::min(first, digits.size() - 3));

  std::string written;
  if (negative) written += '-';
  written.append(digits, 0, digits.size() - 2);
  written += regional.decimal_mark;
  written.append(digits, digits.size() - 2, 2);
  return written;
}

}  // namespace tessaline
