#include "formats/number_reader.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

namespace tessaline {
namespace {

double Read(std::string_view text) {
  auto value = ReadAsNumber(text);
  EXPECT_TRUE(value.has_value()) << text;
  return value.value_or(-12345.0);
}

TEST(ReadAsNumber, ReadsTheNumericPrefix) {
  EXPECT_EQ(Read("47.123"), 47.123);
  EXPECT_EQ(Read("-4.5"), -4.5);
  EXPECT_EQ(Read("+5"), 5.0);
  EXPECT_EQ(Read(".5"), 0.5);
  EXPECT_EQ(Read("5."), 5.0);
  EXPECT_EQ(Read("12abc"), 12.0);
  EXPECT_EQ(Read("1.2.3"), 1.2);
  EXPECT_EQ(Read("7,5"), 7.0);  // a comma is never a decimal mark here
  EXPECT_EQ(Read("--3"), 0.0);
}

TEST(ReadAsNumber, EmptyOrNonNumericTextReadsZero) {
  EXPECT_EQ(Read(""), 0.0);
  EXPECT_EQ(Read("   "), 0.0);
  EXPECT_EQ(Read("abc"), 0.0);
  EXPECT_EQ(Read("-"), 0.0);
  EXPECT_EQ(Read("."), 0.0);
  EXPECT_EQ(Read("e5"), 0.0);
}

TEST(ReadAsNumber, PassesOverBlanksAnywhere) {
  EXPECT_EQ(Read("  12  "), 12.0);
  EXPECT_EQ(Read("1 2 3"), 123.0);
  EXPECT_EQ(Read("- 4 . 5"), -4.5);
  EXPECT_EQ(Read("\t7\n8"), 78.0);
  EXPECT_EQ(Read("1 e 2"), 100.0);
  // A carriage return is not a blank: it ends the number.
  EXPECT_EQ(Read("4\r5"), 4.0);
}

TEST(ReadAsNumber, ReadsExponentsWithEOrD) {
  EXPECT_EQ(Read("1e3"), 1000.0);
  EXPECT_EQ(Read("1E3"), 1000.0);
  EXPECT_EQ(Read("2.5D2"), 250.0);
  EXPECT_EQ(Read("2.5d-1"), 0.25);
  EXPECT_EQ(Read("1e+2"), 100.0);
  EXPECT_EQ(Read("1e"), 1.0);   // no exponent digits: the number ends before "e"
  EXPECT_EQ(Read("1e+"), 1.0);
  EXPECT_EQ(Read("1e0005"), 100000.0);
}

TEST(ReadAsNumber, GivesTheNearestDouble) {
  EXPECT_EQ(Read("0.1"), 0.1);
  EXPECT_EQ(Read("123.456789012345678"), 123.456789012345678);
  EXPECT_EQ(Read("9007199254740993"), 9007199254740992.0);  // ties to even
  EXPECT_EQ(Read("1e-7"), 1e-7);
}

TEST(ReadAsNumber, NumbersBeyondTheRangeOfADoubleAreFailures) {
  EXPECT_FALSE(ReadAsNumber("1e999").has_value());
  EXPECT_FALSE(ReadAsNumber("-1e309").has_value());
  EXPECT_FALSE(ReadAsNumber("1" + std::string(400, '0')).has_value());
  EXPECT_FALSE(ReadAsNumber("1e99999999999999999999").has_value());
  // Too small to represent reads as zero, not as a failure.
  EXPECT_EQ(Read("1e-999"), 0.0);
  EXPECT_EQ(Read("0." + std::string(400, '0') + "1"), 0.0);
  EXPECT_EQ(Read("1e-99999999999999999999"), 0.0);
  // Large but representable.
  EXPECT_EQ(Read("1.7976931348623157e308"), 1.7976931348623157e308);
}

TEST(ReadAsNumber, NegativeZeroStaysZero) {
  const double zero = Read("-0");
  EXPECT_EQ(zero, 0.0);
  EXPECT_EQ(Read("-0.000"), 0.0);
}

TEST(ReadAsNumber, IgnoresTheProcessLocale) {
  // The window sets the process locale from the environment; a French
  // locale must not make "," the decimal mark or stop "." from being one.
  const char* french = std::setlocale(LC_ALL, "fr_FR.UTF-8");
  if (!french) GTEST_SKIP() << "fr_FR.UTF-8 is not installed (scripts/setup.sh generates it)";
  EXPECT_EQ(Read("47.123"), 47.123);
  EXPECT_EQ(Read("47,123"), 47.0);
  EXPECT_EQ(Read("2.5D2"), 250.0);
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace tessaline
