#include "formats/rounding.h"

#include <cmath>

namespace tessaline {

double RoundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff < 0.5) return floor;
  if (diff > 0.5) return floor + 1.0;
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

std::optional<std::int16_t> RoundToInt16(double value) {
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= -32768.0 && rounded <= 32767.0)) return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

std::int16_t RoundToInt16Saturated(double value) {
  const double rounded = RoundHalfEven(value);
  if (std::isnan(rounded)) return 0;
  if (rounded <= -32768.0) return -32768;
  if (rounded >= 32767.0) return 32767;
  return static_cast<std::int16_t>(rounded);
}

}  // namespace tessaline
