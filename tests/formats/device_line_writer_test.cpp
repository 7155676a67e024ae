#include "formats/device_line_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaline {
namespace {

TEST(DeviceLineWriter, CopiesTheFieldsAndTurnsACommaIntoAPointInTheValueOnly) {
  std::string out = "a,b,";  // text already there is left alone
  const DevicePointTexts point{"47,1", " -4.5", "12,5,0", "Anse, \"nord\""};
  AppendDeviceLine(out, point);
  EXPECT_EQ(out, "a,b,47,1, -4.5,12.5.0,\"Anse, \"nord\"\"\r\n");
  EXPECT_EQ(out.size(), 4 + DeviceLineSize(point));
  out.clear();
  AppendDeviceLine(out, {});
  EXPECT_EQ(out, ",,,\"\"\r\n");
}

}  // namespace
}  // namespace tessaline
