#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "formats/percentage.h"
#include "formats/rounding.h"

namespace tessaline {
namespace {

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(3.5), 4.0);
  EXPECT_EQ(RoundHalfEven(-7.5), -8.0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
  EXPECT_EQ(RoundHalfEven(0.5), 0.0);
  EXPECT_EQ(RoundHalfEven(2.4999), 2.0);
  EXPECT_EQ(RoundHalfEven(2.5001), 3.0);
  EXPECT_EQ(RoundHalfEven(-22.5), -22.0);
}

TEST(RoundToInt16, RefusesValuesOutsideTheRange) {
  EXPECT_EQ(RoundToInt16(32767.0), 32767);
  EXPECT_EQ(RoundToInt16(32767.4), 32767);
  EXPECT_EQ(RoundToInt16(-32768.0), -32768);
  EXPECT_EQ(RoundToInt16(-32768.5), -32768);  // tie to the even -32768
  EXPECT_FALSE(RoundToInt16(32767.5).has_value());
  EXPECT_FALSE(RoundToInt16(32768.0).has_value());
  EXPECT_FALSE(RoundToInt16(-32769.0).has_value());
  EXPECT_FALSE(RoundToInt16(std::numeric_limits<double>::infinity()).has_value());
  EXPECT_FALSE(RoundToInt16(std::nan("")).has_value());
}

TEST(RoundToInt16Saturated, StopsAtTheEnds) {
  EXPECT_EQ(RoundToInt16Saturated(40000.0), 32767);
  EXPECT_EQ(RoundToInt16Saturated(-40000.0), -32768);
  EXPECT_EQ(RoundToInt16Saturated(12.5), 12);
  EXPECT_EQ(RoundToInt16Saturated(std::nan("")), 0);
}

TEST(PercentageText, IsTheIntegerPartFollowedByPercent) {
  EXPECT_EQ(PercentageText(37.9), "37%");
  EXPECT_EQ(PercentageText(0.0), "0%");
  EXPECT_EQ(PercentageText(99.999), "99%");
  EXPECT_EQ(PercentageText(100.0), "100%");
}

TEST(PercentageText, StaysWithinZeroToHundred) {
  EXPECT_EQ(PercentageText(250.0), "100%");
  EXPECT_EQ(PercentageText(-3.0), "0%");
  EXPECT_EQ(PercentageText(std::numeric_limits<double>::infinity()), "100%");
  EXPECT_EQ(PercentageText(std::nan("")), "100%");
}

TEST(PercentageOf, DividesFirstThenFloors) {
  // Lines 29, 57 and 58 of 100 show 28, 56 and 57: 29 / 100 * 100 is
  // 28.999999999999996 in double precision.
  EXPECT_EQ(PercentageOf(29, 100), "28%");
  EXPECT_EQ(PercentageOf(57, 100), "56%");
  EXPECT_EQ(PercentageOf(58, 100), "57%");
  EXPECT_EQ(PercentageOf(1, 3), "33%");
  EXPECT_EQ(PercentageOf(2, 3), "66%");
  EXPECT_EQ(PercentageOf(3, 3), "100%");
}

TEST(PercentageOf, AZeroOrUnknownWholeShowsHundred) {
  EXPECT_EQ(PercentageOf(0, 0), "100%");
  EXPECT_EQ(PercentageOf(5, 0), "100%");
  EXPECT_EQ(PercentageOf(5, -1), "100%");
  EXPECT_EQ(PercentageOf(12, 10), "100%");
}

}  // namespace
}  // namespace tessaline
