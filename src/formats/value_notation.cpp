#include "formats/value_notation.h"

#include <algorithm>

#include "formats/decimal_scanner.h"
#include "formats/device_point_line.h"

namespace tessaline {

std::string ValueNotation(std::string_view field, const RegionalSettings& regional) {
  const std::string_view text = TrimSpaces(field);

  const std::optional<ScannedDecimal> decimal = ScanDecimal(text);
  if (!decimal) return std::string(text);
  bool negative = decimal->negative();
  const std::string_view whole = decimal->whole, fraction = decimal->fraction;

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
