#include "formats/device_line_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaline {
namespace {

std::string Line(const DevicePointTexts& point) {
  std::string out = "before\r\n";
  AppendDeviceLine(out, point);
  EXPECT_EQ(out.size(), 8 + DeviceLineSize(point));
  return out.substr(8);
}

TEST(DeviceLineWriter, WritesTheFourFieldsInOrderWithTheNameQuoted) {
  EXPECT_EQ(Line({"47.123000000000000", "-4.500000000000000", "12.50", "Route 1"}),
            "47.123000000000000,-4.500000000000000,12.50,\"Route 1\"\r\n");
  EXPECT_EQ(Line({"", "", "", ""}), ",,,\"\"\r\n");
  // No trimming: spaces stay where they are.
  EXPECT_EQ(Line({" 1", "2 ", " ", " n "}), " 1,2 , ,\" n \"\r\n");
}

TEST(DeviceLineWriter, DecimalCommaBecomesAPointInTheValueOnly) {
  EXPECT_EQ(Line({"47,1", "-4,5", "12,50", "Anse, nord"}),
            "47,1,-4,5,12.50,\"Anse, nord\"\r\n");
  EXPECT_EQ(Line({"1", "2", ",,", "a"}), "1,2,..,\"a\"\r\n");
  // The text already in the buffer is not touched by the replacement.
  std::string out = "x,y,";
  AppendDeviceLine(out, {"1", "2", "3,4", "n"});
  EXPECT_EQ(out, "x,y,1,2,3.4,\"n\"\r\n");
}

TEST(DeviceLineWriter, QuotesAndOtherBytesInTheNameAreCopiedUnchanged) {
  EXPECT_EQ(Line({"1", "2", "3", "le \"Phare\" é"}), "1,2,3,\"le \"Phare\" é\"\r\n");
}

}  // namespace
}  // namespace tessaline
