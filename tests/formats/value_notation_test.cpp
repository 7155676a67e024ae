#include "formats/value_notation.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

TEST(ValueNotation, TwoDecimalsHalfAwayFromZeroWithTheRegionalMark) {
  const struct { const char* text; const char* c; const char* french; } cases[] = {
      {"12.5", "12.50", "12,50"},    {"  3       ", "3.00", "3,00"}, {".5", "0.50", "0,50"},
      {"+5", "5.00", "5,00"},        {"-.5", "-0.50", "-0,50"},      {"007.1", "7.10", "7,10"},
      // The digits as written decide, not the nearest double.
      {"2.345", "2.35", "2,35"},     {"-0.125", "-0.13", "-0,13"},   {"99.995", "100.00", "100,00"},
      {"-0.001", "0.00", "0,00"},    {"-0", "0.00", "0,00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ValueNotation(c.text, RegionalSettings::C()), c.c) << c.text;
    EXPECT_EQ(ValueNotation(c.text, RegionalSettings::French()), c.french) << c.text;
  }
}

TEST(ValueNotation, OtherTextIsWrittenTrimmedAndUnchanged) {
  for (const char* text : {"", "12abc", "1e3", "4 5", "-", ".", "1.2.3", "12,5"}) {
    EXPECT_EQ(ValueNotation(std::string(" ") + text + " ", RegionalSettings::French()), text);
  }
}

}  // namespace
}  // namespace tessaline
