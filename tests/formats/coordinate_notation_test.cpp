#include "formats/coordinate_notation.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>

namespace tessaline {
namespace {

TEST(CoordinateNotation, AwkwardValues) {
  EXPECT_EQ(CoordinateNotation(47.123), "47.123000000000000");
  EXPECT_EQ(CoordinateNotation(-4.5), "-4.500000000000000");
  EXPECT_EQ(CoordinateNotation(0.1), "0.100000000000000");
  // Beyond 15 significant digits the places are zeros.
  EXPECT_EQ(CoordinateNotation(123.456789012345678), "123.456789012346000");
  EXPECT_EQ(CoordinateNotation(1e-7), "0.000000100000000");
  EXPECT_EQ(CoordinateNotation(-0.0), "0.000000000000000");
  EXPECT_EQ(CoordinateNotation(0.0), "0.000000000000000");
  EXPECT_EQ(CoordinateNotation(180.0), "180.000000000000000");
  EXPECT_EQ(CoordinateNotation(-179.999999999999), "-179.999999999999000");
}

TEST(CoordinateNotation, RoundsToFifteenSignificantDigitsFromTheDoublesValue) {
  // 0.3 is stored as 0.299999999999999988898...: 15 digits give 0.3.
  EXPECT_EQ(CoordinateNotation(0.1 + 0.2), "0.300000000000000");
  EXPECT_EQ(CoordinateNotation(2.0 / 3.0), "0.666666666666667");
  EXPECT_EQ(CoordinateNotation(1e20), "100000000000000000000.000000000000000");
}

TEST(CoordinateNotation, BelowOneTenthRoundsAgainAtTheFifteenthDecimalHalfAwayFromZero) {
  // 15 significant digits 1.23456789012346e-02, then 15 decimals.
  EXPECT_EQ(CoordinateNotation(0.0123456789012345678), "0.012345678901235");
  EXPECT_EQ(CoordinateNotation(-0.0123456789012345678), "-0.012345678901235");
  // 9.99999999999995e-02: the second rounding carries into the first place.
  EXPECT_EQ(CoordinateNotation(0.0999999999999995), "0.100000000000000");
  EXPECT_EQ(CoordinateNotation(5e-16), "0.000000000000001");
  EXPECT_EQ(CoordinateNotation(4.9e-16), "0.000000000000000");
  // Rounded to zero: no negative zero.
  EXPECT_EQ(CoordinateNotation(-4e-16), "0.000000000000000");
  EXPECT_EQ(CoordinateNotation(-6e-16), "-0.000000000000001");
  EXPECT_EQ(CoordinateNotation(1e-300), "0.000000000000000");
}

TEST(CoordinateNotation, NonFiniteValuesWriteAsZero) {
  EXPECT_EQ(CoordinateNotation(std::numeric_limits<double>::infinity()), "0.000000000000000");
  EXPECT_EQ(CoordinateNotation(std::numeric_limits<double>::quiet_NaN()), "0.000000000000000");
}

TEST(CoordinateText, TrimsAndReadsTheStagedField) {
  EXPECT_EQ(CoordinateText("47.123              "), "47.123000000000000");
  EXPECT_EQ(CoordinateText("  -4.5"), "-4.500000000000000");
  // Text without a number reads 0; a numeric prefix is read.
  EXPECT_EQ(CoordinateText("                    "), "0.000000000000000");
  EXPECT_EQ(CoordinateText("N47"), "0.000000000000000");
  EXPECT_EQ(CoordinateText("12.5abc"), "12.500000000000000");
  EXPECT_EQ(CoordinateText("1D2"), "100.000000000000000");
  // A number beyond the range of a double is a failure, never an infinity.
  EXPECT_EQ(CoordinateText("1e999"), std::nullopt);
}

TEST(CoordinateNotation, AFrenchProcessLocaleStillWritesAPoint) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "fr_FR.UTF-8")) GTEST_SKIP() << "fr_FR.UTF-8 is not installed";
  const std::string written = CoordinateNotation(-4.5);
  const auto read = CoordinateText("47.123");
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(written, "-4.500000000000000");
  EXPECT_EQ(read, "47.123000000000000");
}

}  // namespace
}  // namespace tessaline
