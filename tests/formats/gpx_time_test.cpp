// GPX times: read into UTC whatever zone they were given in, written back
// in UTC to the digits of their fraction; anything that is no date and
// time is refused rather than read as some other moment.

#include <gtest/gtest.h>

#include "formats/gpx/gpx_time.h"

namespace tessaline::gpx {
namespace {

// The time read, written back; "refused" when it cannot be read.
std::string Round(std::string_view text) {
  const std::optional<GpxTimeRead> read = ReadGpxTime(text);
  if (!read) return "refused";
  std::string out;
  AppendGpxTime(out, read->time);
  return out;
}

TEST(GpxTime, ZonesBecomeUtcAcrossDaysMonthsAndYears) {
  EXPECT_EQ(Round("2024-06-14T10:00:00Z"), "2024-06-14T10:00:00Z");
  EXPECT_EQ(Round("2024-06-14T10:00:00+02:00"), "2024-06-14T08:00:00Z");
  EXPECT_EQ(Round("2024-12-31T23:30:00-01:00"), "2025-01-01T00:30:00Z");
  EXPECT_EQ(Round("2024-03-01T00:15:00+01:00"), "2024-02-29T23:15:00Z");  // leap year
  EXPECT_EQ(Round("1969-12-31T23:59:59Z"), "1969-12-31T23:59:59Z");      // before 1970
  EXPECT_EQ(Round("2024-06-14T24:00:00Z"), "2024-06-15T00:00:00Z");
  EXPECT_EQ(Round(" 2024-06-14T10:00:00Z\n"), "2024-06-14T10:00:00Z");
}

TEST(GpxTime, TheFractionKeepsItsDigitsUpToNine) {
  EXPECT_EQ(Round("2024-06-14T10:00:00.5Z"), "2024-06-14T10:00:00.5Z");
  EXPECT_EQ(Round("2024-06-14T10:00:00.050Z"), "2024-06-14T10:00:00.050Z");
  EXPECT_EQ(Round("2024-06-14T10:00:00.123456789Z"), "2024-06-14T10:00:00.123456789Z");
  const std::optional<GpxTimeRead> long_fraction = ReadGpxTime("2024-06-14T10:00:00.1234567899Z");
  ASSERT_TRUE(long_fraction);
  EXPECT_TRUE(long_fraction->cut);
  EXPECT_EQ(long_fraction->time.nanoseconds, 123456789u);
}

TEST(GpxTime, WithoutAZoneItIsTakenAsUtcAndSaysSo) {
  const std::optional<GpxTimeRead> read = ReadGpxTime("2024-06-14T10:00:00");
  ASSERT_TRUE(read);
  EXPECT_FALSE(read->zoned);
  EXPECT_TRUE(ReadGpxTime("2024-06-14T10:00:00Z")->zoned);
  EXPECT_EQ(Round("2024-06-14T10:00:00"), "2024-06-14T10:00:00Z");
}

TEST(GpxTime, WhatIsNoDateAndTimeIsRefused) {
  for (const char* text : {"", "hier", "2024-06-14", "2024-02-30T10:00:00Z", "2023-02-29T10:00:00Z",
                           "2024-13-01T10:00:00Z", "2024-06-14T10:60:00Z", "2024-06-14T24:00:01Z",
                           "2024-06-14 10:00:00Z", "2024-06-14T10:00:00.Z", "2024-06-14T10:00:00+2:00",
                           "2024-06-14T10:00:00+15:00", "2024-06-14T10:00:00Zx"}) {
    EXPECT_EQ(Round(text), "refused") << text;
  }
}

}  // namespace
}  // namespace tessaline::gpx
