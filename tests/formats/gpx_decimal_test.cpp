// A GPX coordinate's number, and the plain reading of the other files, must
// be the double nearest to its decimal text, bit for bit, whichever way it
// is read: the range check at ±90 and ±180 and the rounding of long
// coordinates depend on it. Many generated texts,
// around the edges where a quick reading stops being exact (2^53, 22
// decimals, 19 digits), against the standard conversion.

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <random>
#include <string>

#include "formats/gpx/gpx_model.h"
#include "formats/number_reader.h"

namespace tessaline::gpx {
namespace {

// The nearest double by the standard conversion ("+" and a bare leading
// "." put in the form it takes).
std::optional<double> Nearest(std::string text) {
  if (!text.empty() && text[0] == '+') text.erase(0, 1);
  const std::size_t first = !text.empty() && text[0] == '-' ? 1 : 0;
  if (text.size() > first && text[first] == '.') text.insert(first, "0");
  double value = 0;
  const auto read = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (read.ec != std::errc() || read.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

void ExpectNearest(const std::string& text) {
  const std::optional<double> read = ReadGpxDecimal(text);
  const std::optional<double> nearest = Nearest(text);
  ASSERT_EQ(read.has_value(), nearest.has_value()) << text;
  if (read) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(*read), std::bit_cast<std::uint64_t>(*nearest)) << text;
  }
  // The plain reading of the other files takes the same scan, without "+"
  // or a bare leading ".".
  const std::size_t first = !text.empty() && text[0] == '-' ? 1 : 0;
  const bool plain = !text.empty() && text[0] != '+' && text.size() > first && text[first] != '.';
  const std::optional<double> plain_read = ReadPlainDecimal(text);
  ASSERT_EQ(plain_read.has_value(), plain && nearest.has_value()) << text;
  if (plain_read) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(*plain_read), std::bit_cast<std::uint64_t>(*nearest)) << text;
  }
}

TEST(GpxDecimal, EveryTextReadsAsItsNearestDouble) {
  for (const char* text : {"0", "-0", "-0.0", "+0.5", ".5", "-.5", "+.5", "90", "90.000000000000000001",
                           "90.00000000000001", "-180.0000000000000284", "179.99999999999999999",
                           "9007199254740992", "9007199254740993", "900719925474099.3", "0.9007199254740993",
                           "1.0000000000000000000000", "0.0000000000000000000001", "0.00000000000000000000001",
                           "1234567890123456789", "12345678901234567890", "47.000000254", "-4.000000587", "5.", "-5.",
                           "000123.4500", "-4.000000587000000", "0.100000000000000000000000000",
                           "-0.000000000000000000000120", "179.999999999999999"}) {
    ExpectNearest(text);
  }
  std::mt19937_64 random(20240229);
  for (int n = 0; n < 200000; ++n) {
    std::string text;
    const auto sign = random() % 4;
    if (sign == 1) text += '-';
    if (sign == 2) text += '+';
    const std::size_t length = 1 + random() % 24;
    const std::size_t point = random() % (length + 1);
    for (std::size_t i = 0; i < length; ++i) {
      if (i == point && i > 0) text += '.';
      text += static_cast<char>('0' + random() % 10);
    }
    // Zeros that end the decimals change nothing, yet count as digits.
    if (random() % 3 == 0 && text.find('.') != std::string::npos) text += std::string(random() % 12, '0');
    ExpectNearest(text);
    if (HasFailure()) return;
  }
}

// What is no plain decimal stays refused, as before.
TEST(GpxDecimal, NoNumberIsRefused) {
  for (const char* text : {"", "+", "-", ".", "+-1", "-+1", "1.2.3", "1e5", "0x10", "1,5", "--1", "1 2"}) {
    EXPECT_FALSE(ReadGpxDecimal(text).has_value()) << text;
  }
  EXPECT_EQ(ReadGpxDecimal(" \t47.5\r\n"), 47.5);
}

}  // namespace
}  // namespace tessaline::gpx

namespace tessaline::gpx {
namespace {

// The range is told without reading the number for the usual texts: the
// answer must be that of the number read, above all right at ±90 and ±180,
// where the nearest double may round a text just past the limit onto it.
TEST(GpxDecimal, InRangeExactlyWhenItsNumberIs) {
  auto expect_same = [](const std::string& text) {
    const std::optional<double> value = ReadGpxDecimal(text);
    EXPECT_EQ(GpxDecimalWithin(text, 90), value && LatitudeInRange(*value)) << text;
    EXPECT_EQ(GpxDecimalWithin(text, 180), value && LongitudeInRange(*value)) << text;
  };
  std::mt19937_64 random(17);
  for (const char* limit : {"90", "180", "89", "179", "91", "181", "0"}) {
    for (int decimals = 0; decimals <= 24; ++decimals) {
      for (const char* sign : {"", "-", "+"}) {
        const std::string whole = std::string(sign) + limit;
        const std::string point = decimals == 0 ? "" : ".";
        expect_same(whole + point + std::string(static_cast<std::size_t>(decimals), '0'));
        expect_same(whole + point + std::string(static_cast<std::size_t>(std::max(decimals - 1, 0)), '0') +
                    (decimals == 0 ? "" : "1"));
        expect_same(whole + point + std::string(static_cast<std::size_t>(decimals), '9'));
        std::string digits;
        for (int i = 0; i < decimals; ++i) digits += static_cast<char>('0' + random() % 10);
        expect_same(whole + point + digits);
      }
    }
  }
  for (const char* text : {"", "abc", "1e1", " 90 ", "\t-180\n", "90.", "+-1", ".5", "-.5", "+.5", ".", "-",
                           "900", "1800", "0090.5", "-00089.999999999999999999", "47.000123456789012345"}) {
    expect_same(text);
  }
  // Digits beyond what a double holds, before and after the point.
  expect_same("0." + std::string(400, '0') + "1");
  expect_same("1" + std::string(400, '0'));
  expect_same("-45." + std::string(150, '7'));
}

}  // namespace
}  // namespace tessaline::gpx
