#pragma once
// Rounding of a real into an integer: to the nearest, ties to even.

#include <cstdint>
#include <optional>

namespace tessaline {

// Nearest integer, ties to even (2.5 -> 2, 3.5 -> 4, -7.5 -> -8).
double RoundHalfEven(double value);

// RoundHalfEven into a 16-bit integer; nullopt when the result lies outside
// -32768..32767.
std::optional<std::int16_t> RoundToInt16(double value);

// RoundHalfEven into a 16-bit integer, saturating at the ends of the range.
std::int16_t RoundToInt16Saturated(double value);

}  // namespace tessaline
