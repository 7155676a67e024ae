#include "formats/decimal_scanner.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <system_error>

namespace tessaline {

std::optional<double> DecimalValue(const ScannedDecimal& decimal) {
  // The usual case at once: at most 15 significant digits and 22 decimals
  // are both exact in a double, so one division gives the nearest double,
  // as the full reading would, at a fraction of its cost.
  const std::string_view decimals = decimal.Decimals();
  if (decimal.Significant() <= 15 && decimals.size() <= 22) {
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::uint64_t mantissa = 0;
    for (const char digit : decimal.WholeDigits()) mantissa = mantissa * 10 + static_cast<std::uint64_t>(digit - '0');
    for (const char digit : decimals) mantissa = mantissa * 10 + static_cast<std::uint64_t>(digit - '0');
    const double value = static_cast<double>(mantissa) / kPowersOfTen[decimals.size()];
    return decimal.negative() ? -value : value;
  }
  // The standard reading, which wants a digit before the point and no "+".
  std::string written;
  std::string_view text = decimal.text;
  if (decimal.sign == '+' || decimal.whole.empty()) {
    if (decimal.negative()) written += '-';
    written += decimal.whole.empty() ? std::string_view("0") : decimal.whole;
    written += '.';
    written += decimal.fraction;
    text = written;
  }
  double value = 0;
  const auto read = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (read.ec != std::errc() || read.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace tessaline
