#include "formats/percentage.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessaline {

namespace {
int Clamped(double percent) {
  if (std::isnan(percent) || percent >= 100.0) return 100;
  if (percent <= 0.0) return 0;
  return static_cast<int>(std::floor(percent));
}
}  // namespace

std::string PercentageText(int percent) { return std::to_string(percent) + "%"; }

std::string PercentageText(double percent) { return PercentageText(Clamped(percent)); }

int PercentOf(double part, double whole) { return whole > 0.0 ? Clamped(part / whole * 100.0) : 100; }

std::uint64_t NextPercentChange(std::uint64_t part, std::uint64_t whole) {
  const auto percent = [whole](std::uint64_t p) { return PercentOf(static_cast<double>(p), static_cast<double>(whole)); };
  const int now = percent(part);
  if (now >= 100 || whole == 0) return std::numeric_limits<std::uint64_t>::max();
  // The percentage never falls as the part grows and reaches 100 at the
  // whole: the first change lies in (part, max(whole, part + 1)].
  std::uint64_t low = part + 1, high = std::max(whole, part + 1);
  while (low < high) {
    const std::uint64_t middle = low + (high - low) / 2;
    if (percent(middle) != now) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  return low;
}

std::string PercentageOf(double part, double whole) { return PercentageText(PercentOf(part, whole)); }

}  // namespace tessaline
