#include "formats/time_stamp.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

LocalTime At(int year, int month, int day, int hour, int minute, int second) {
  return LocalTime{year, month, day, hour, minute, second};
}

TEST(DateText, TwoDigitDayAndMonthFourDigitYearRegionalSeparator) {
  EXPECT_EQ(DateText(At(2024, 3, 7, 0, 0, 0), RegionalSettings::French()), "07/03/2024");
  RegionalSettings dashed;
  dashed.date_separator = "-";
  EXPECT_EQ(DateText(At(2025, 12, 31, 0, 0, 0), dashed), "31-12-2025");
  EXPECT_EQ(DateText(At(987, 1, 1, 0, 0, 0), dashed), "01-01-0987");
}

TEST(TimeText, TwentyFourHourDirectives) {
  const RegionalSettings c = RegionalSettings::C();
  const LocalTime t = At(2024, 1, 1, 7, 5, 9);
  EXPECT_EQ(TimeText(t, "%H:%M:%S", c), "07:05:09");
  EXPECT_EQ(TimeText(t, "%T", c), "07:05:09");
  EXPECT_EQ(TimeText(t, "%R", c), "07:05");
  EXPECT_EQ(TimeText(t, "%k", c), " 7");
  EXPECT_EQ(TimeText(t, "%-H.%_M.%0k", c), "7. 5.07");
  EXPECT_EQ(TimeText(t, "%OH h %EM", c), "07 h 05");
}

TEST(TimeText, TwelveHourDirectivesAndTheRegionalDayHalves) {
  const RegionalSettings c = RegionalSettings::C();
  EXPECT_EQ(TimeText(At(2024, 1, 1, 0, 30, 0), "%I:%M %p", c), "12:30 AM");
  EXPECT_EQ(TimeText(At(2024, 1, 1, 12, 0, 0), "%I %p", c), "12 PM");
  EXPECT_EQ(TimeText(At(2024, 1, 1, 13, 4, 5), "%r", c), "01:04:05 PM");
  EXPECT_EQ(TimeText(At(2024, 1, 1, 13, 4, 5), "%l%P", c), " 1pm");
  EXPECT_EQ(TimeText(At(2024, 1, 1, 9, 4, 5), "%^P", c), "AM");
  RegionalSettings other = c;
  other.am = "vorm.";
  EXPECT_EQ(TimeText(At(2024, 1, 1, 9, 0, 0), "%p", other), "vorm.");
}

TEST(TimeText, LiteralsAndUnknownDirectivesPassThrough) {
  const RegionalSettings c = RegionalSettings::C();
  const LocalTime t = At(2024, 1, 1, 21, 0, 0);
  EXPECT_EQ(TimeText(t, "%H%%", c), "21%");
  EXPECT_EQ(TimeText(t, "%Q %H", c), "%Q 21");
  EXPECT_EQ(TimeText(t, "%H %", c), "21 %");
  EXPECT_EQ(TimeText(t, "%H\xC3\xA9%M", c), "21\xC3\xA9" "00");
  EXPECT_EQ(TimeText(t, "%H%n%t", c), "21\n\t");
}

TEST(Stamp, DateSpaceLongTimeFormat) {
  EXPECT_EQ(Stamp(At(2024, 2, 29, 23, 59, 58), RegionalSettings::French()), "29/02/2024 23:59:58");
  RegionalSettings us = RegionalSettings::C();
  us.long_time_format = "%r";
  EXPECT_EQ(Stamp(At(2024, 2, 29, 23, 59, 58), us), "29/02/2024 11:59:58 PM");
}

}  // namespace
}  // namespace tessaline
