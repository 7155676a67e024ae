#include "platform/windows_time_format.h"

#include <gtest/gtest.h>

#include <string>

#include "formats/time_stamp.h"

namespace tessaline {
namespace {

using platform::TimePatternFromWindowsFormat;

// What a track point's stamp shows for a Windows format, through the same
// formatter the converter uses.
std::string Shown(const char* windows_format, int hour, int minute, int second,
                  const RegionalSettings& regional = RegionalSettings::C()) {
  LocalTime time;
  time.hour = hour;
  time.minute = minute;
  time.second = second;
  return TimeText(time, TimePatternFromWindowsFormat(windows_format), regional);
}

TEST(WindowsTimeFormat, CommonFormatsShowAsWindowsShowsThem) {
  EXPECT_EQ(Shown("HH:mm:ss", 9, 5, 7), "09:05:07");         // fr-FR, de-DE
  EXPECT_EQ(Shown("h:mm:ss tt", 9, 5, 7), "9:05:07 AM");     // en-US
  EXPECT_EQ(Shown("h:mm:ss tt", 21, 5, 7), "9:05:07 PM");
  EXPECT_EQ(Shown("h:mm:ss tt", 0, 0, 0), "12:00:00 AM");
  EXPECT_EQ(Shown("hh:mm:ss tt", 13, 0, 0), "01:00:00 PM");
  EXPECT_EQ(Shown("H:mm:ss", 7, 30, 0), "7:30:00");           // en-GB style, no leading zero
  EXPECT_EQ(Shown("tt h:mm:ss", 15, 4, 3), "PM 3:04:03");     // designator first (ko-KR, zh-CN)
  RegionalSettings french = RegionalSettings::French();
  EXPECT_EQ(Shown("HH:mm:ss tt", 9, 5, 7, french), "09:05:07 ");  // empty designators stay empty
}

TEST(WindowsTimeFormat, SingleDigitFieldsAndLongRuns) {
  EXPECT_EQ(TimePatternFromWindowsFormat("H:m:s"), "%-H:%-M:%-S");
  EXPECT_EQ(TimePatternFromWindowsFormat("HHH:mmm:sss"), "%H:%M:%S");
  EXPECT_EQ(Shown("H:m:s", 8, 4, 2), "8:4:2");
  // One "t" is the first letter of the designator on Windows; the whole
  // designator is the nearest the pattern can say.
  EXPECT_EQ(TimePatternFromWindowsFormat("h:mm t"), "%-I:%M %p");
}

TEST(WindowsTimeFormat, QuotedTextAndPercentSignsStayLiteral) {
  // Letters inside quotes are text, not fields: "h" here is no hour.
  EXPECT_EQ(Shown("H' h 'mm", 14, 5, 0), "14 h 05");
  EXPECT_EQ(Shown("HH'h'mm'm'ss's'", 14, 5, 9), "14h05m09s");
  EXPECT_EQ(Shown("HH''mm", 14, 5, 0), "14'05");  // two quotes are one
  EXPECT_EQ(Shown("HH:mm '%p'", 14, 5, 0), "14:05 %p");
  EXPECT_EQ(Shown("HH%mm", 14, 5, 0), "14%05");
  // An unclosed quote runs to the end.
  EXPECT_EQ(Shown("HH:mm' tt", 14, 5, 0), "14:05 tt");
  EXPECT_EQ(TimePatternFromWindowsFormat(""), "");
}

}  // namespace
}  // namespace tessaline
