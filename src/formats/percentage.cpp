#include "formats/percentage.h"

#include <cmath>

namespace tessaline {

std::string PercentageText(double percent) {
  if (std::isnan(percent) || percent >= 100.0) return "100%";
  if (percent <= 0.0) return "0%";
  return std::to_string(static_cast<int>(std::floor(percent))) + "%";
}

std::string PercentageOf(double part, double whole) {
  if (!(whole > 0.0)) return "100%";
  return PercentageText(part / whole * 100.0);
}

}  // namespace tessaline
