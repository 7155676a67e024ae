#include "formats/device_point_line.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

// Field widths and the order of the fields are checked through the staging
// records (tests/convert/device_to_chart/loading_test.cpp).

TEST(DevicePointLine, NameLosesItsEndsAndACommaInsideItShiftsTheGroup) {
  DevicePointFields f;
  ASSERT_EQ(ReadDevicePointLine("1,2,3,AbcD,5", f), DeviceLineProblem::None);
  EXPECT_EQ(f.name, "bc");
  ASSERT_EQ(ReadDevicePointLine("1,2,3,\"a,b\",4", f), DeviceLineProblem::None);
  EXPECT_EQ(f.name, "");
  EXPECT_EQ(f.group, "b\"");
  for (const char* line : {"", "1", "1,2", "1,2,3"}) {
    EXPECT_EQ(ReadDevicePointLine(line, f), DeviceLineProblem::TooFewFields) << line;
  }
  for (const char* line : {"1,2,3,\"", "1,2,3,,5", "1,2,3,"}) {
    EXPECT_EQ(ReadDevicePointLine(line, f), DeviceLineProblem::NameTooShort) << line;
  }
}

TEST(DeviceSlot, CutAtTheByteWidthButNeverInsideAUtf8Character) {
  // "é" (2 bytes) across the 50th byte goes whole, and spaces fill the slot.
  EXPECT_EQ(Slot(std::string(49, 'a') + "\xC3\xA9z", kNameWidth), std::string(49, 'a') + " ");
  EXPECT_EQ(Slot(std::string(48, 'a') + "\xC3\xA9z", kNameWidth), std::string(48, 'a') + "\xC3\xA9");
  EXPECT_EQ(Slot("12345678\xE2\x82\xAC", kValueWidth), "12345678  ");
  // Latin-1 text is no UTF-8: cut at the byte width.
  EXPECT_EQ(Slot(std::string(49, 'a') + "\xE9\xE9", kNameWidth), std::string(49, 'a') + "\xE9");
}

}  // namespace
}  // namespace tessaline
