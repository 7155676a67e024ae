#include "formats/time_stamp.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

TEST(TimeText, DirectivesFlagsAndLiterals) {
  const RegionalSettings c = RegionalSettings::C();
  const LocalTime morning{2024, 1, 1, 7, 5, 9}, evening{2024, 1, 1, 21, 4, 5};
  EXPECT_EQ(TimeText(morning, "%H:%M:%S|%T|%R|%k|%-H.%_M.%0k|%OH", c),
            "07:05:09|07:05:09|07:05| 7|7. 5.07|07");
  EXPECT_EQ(TimeText(evening, "%I %l %p %P %^P|%r", c), "09  9 PM pm PM|09:04:05 PM");
  EXPECT_EQ(TimeText({2024, 1, 1, 0, 30, 0}, "%I %p", c), "12 AM");
  EXPECT_EQ(TimeText({2024, 1, 1, 12, 0, 0}, "%I %p", c), "12 PM");
  EXPECT_EQ(TimeText(evening, "%H%% %Q h\xC3\xA9 %", c), "21% %Q h\xC3\xA9 %");
}

TEST(Stamp, DateWithTheRegionalSeparatorThenTheLongTimeFormat) {
  const LocalTime t{2024, 2, 9, 23, 59, 58};
  EXPECT_EQ(Stamp(t, RegionalSettings::French()), "09/02/2024 23:59:58");
  RegionalSettings other = RegionalSettings::C();
  other.date_separator = "-";
  other.long_time_format = "%r";
  EXPECT_EQ(Stamp(t, other), "09-02-2024 11:59:58 PM");
}

}  // namespace
}  // namespace tessaline
