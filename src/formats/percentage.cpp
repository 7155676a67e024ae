#include "formats/percentage.h"

#include <cmath>

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

std::string PercentageOf(double part, double whole) { return PercentageText(PercentOf(part, whole)); }

}  // namespace tessaline
