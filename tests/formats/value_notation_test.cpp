#include "formats/value_notation.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

std::string C(std::string_view text) { return ValueNotation(text, RegionalSettings::C()); }
std::string Fr(std::string_view text) { return ValueNotation(text, RegionalSettings::French()); }

TEST(ValueNotation, TwoDecimalsWithTheRegionalMark) {
  EXPECT_EQ(C("12.5"), "12.50");
  EXPECT_EQ(Fr("12.5"), "12,50");
  EXPECT_EQ(C("12"), "12.00");
  EXPECT_EQ(Fr("-3.25"), "-3,25");
  EXPECT_EQ(C("-9999"), "-9999.00");
}

TEST(ValueNotation, AcceptsTheShortForms) {
  EXPECT_EQ(C(".5"), "0.50");
  EXPECT_EQ(C("5."), "5.00");
  EXPECT_EQ(C("+5"), "5.00");
  EXPECT_EQ(C("-.5"), "-0.50");
  EXPECT_EQ(C("007.1"), "7.10");
  EXPECT_EQ(C("  3       "), "3.00");  // a staged field, padded
}

TEST(ValueNotation, RoundsHalfAwayFromZeroOnTheDigitsAsWritten) {
  // As doubles 2.345 and 0.125 lie just below or at the half; the digits decide.
  EXPECT_EQ(C("2.345"), "2.35");
  EXPECT_EQ(C("-0.125"), "-0.13");
  EXPECT_EQ(C("1.005"), "1.01");
  EXPECT_EQ(C("2.3449"), "2.34");
  EXPECT_EQ(Fr("99.995"), "100,00");
  EXPECT_EQ(C("-9.999"), "-10.00");
}

TEST(ValueNotation, ZeroHasNoSign) {
  EXPECT_EQ(C("-0"), "0.00");
  EXPECT_EQ(C("-0.001"), "0.00");
  EXPECT_EQ(Fr("-0.004"), "0,00");
  EXPECT_EQ(C("-0.005"), "-0.01");
}

TEST(ValueNotation, OtherTextIsWrittenTrimmedAndUnchanged) {
  EXPECT_EQ(C(""), "");
  EXPECT_EQ(C("          "), "");
  EXPECT_EQ(C("12abc"), "12abc");
  EXPECT_EQ(Fr("1e3"), "1e3");
  EXPECT_EQ(C(" 4 5 "), "4 5");
  EXPECT_EQ(C("-"), "-");
  EXPECT_EQ(C("."), ".");
  EXPECT_EQ(C("1.2.3"), "1.2.3");
  EXPECT_EQ(Fr("12,5"), "12,5");
}

}  // namespace
}  // namespace tessaline
