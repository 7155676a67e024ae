#include "formats/coordinate_notation.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "formats/number_reader.h"

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

// Plain decimals are written straight from their digits; whatever their
// length, leading zeros, sign or trailing point, the text must be the one
// the number itself gives.
TEST(CoordinateText, PlainDecimalsGiveWhatTheirNumberGives) {
  std::mt19937 random(7);
  const auto digits = [&](std::size_t count) {
    std::string text;
    for (std::size_t k = 0; k < count; ++k) text += static_cast<char>('0' + random() % 10);
    return text;
  };
  std::vector<std::string> texts = {"0", "-0", "0.", "-0.000", "5.", "007.125", "-47.25", "000000000000000.5",
                                    "123456789012345", "1234567890123456", "0.000000000000001",
                                    "0.0000000000000001", "0.999999999999999", "9.99999999999999949",
                                    "-0.100000000000000", "48.1234567890123", "48.12345678901234",
                                    "+5", ".5", "-.5", "+.25", "+-1", ".", "-", "5.0000000000000000000000"};
  for (int n = 0; n < 20000; ++n) {
    std::string text = random() % 4 == 0 ? "-" : "";
    if (random() % 5 == 0) text += std::string(random() % 4, '0');
    text += digits(random() % 17);
    if (random() % 4 != 0) text += "." + digits(random() % 18);
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    const std::optional<double> value = ReadAsNumber(text);
    ASSERT_TRUE(value) << text;
    EXPECT_EQ(CoordinateText(text), CoordinateNotation(*value)) << text;
  }
  // Beside a sign, a point and digits nothing is written straight.
  std::string out = "x";
  for (const char* text : {"", ".", "-", "+-1", "1e5", "1,5", " 5", "5 ", "0x1"}) {
    EXPECT_FALSE(AppendPlainCoordinate(out, text)) << text;
  }
  EXPECT_EQ(out, "x");
}

}  // namespace
}  // namespace tessaline
