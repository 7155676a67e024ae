#include "formats/coordinate_notation.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

TEST(CoordinateNotation, FifteenSignificantDigitsThenFifteenDecimals) {
  EXPECT_EQ(CoordinateNotation(47.123), "47.123000000000000");
  EXPECT_EQ(CoordinateNotation(-4.5), "-4.500000000000000");
  EXPECT_EQ(CoordinateNotation(0.1), "0.100000000000000");
  EXPECT_EQ(CoordinateNotation(123.456789012345678), "123.456789012346000");
  EXPECT_EQ(CoordinateNotation(1e-7), "0.000000100000000");
  EXPECT_EQ(CoordinateNotation(-0.0), "0.000000000000000");
  EXPECT_EQ(CoordinateNotation(0.1 + 0.2), "0.300000000000000");
  EXPECT_EQ(CoordinateNotation(1e20), "100000000000000000000.000000000000000");
}

TEST(CoordinateNotation, BelowOneTenthRoundsAgainHalfAwayFromZero) {
  EXPECT_EQ(CoordinateNotation(-0.0123456789012345678), "-0.012345678901235");
  EXPECT_EQ(CoordinateNotation(0.0999999999999995), "0.100000000000000");  // carries
  EXPECT_EQ(CoordinateNotation(5e-16), "0.000000000000001");
  EXPECT_EQ(CoordinateNotation(-4e-16), "0.000000000000000");  // no negative zero
}

TEST(CoordinateText, TrimsReadsAndRefusesNumbersBeyondADouble) {
  EXPECT_EQ(CoordinateText("  -4.5              "), "-4.500000000000000");
  EXPECT_EQ(CoordinateText("N47"), "0.000000000000000");
  EXPECT_EQ(CoordinateText("1D2"), "100.000000000000000");
  EXPECT_EQ(CoordinateText("1e999"), std::nullopt);
}

}  // namespace
}  // namespace tessaline
