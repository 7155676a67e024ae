#include "formats/chart_line_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaline {
namespace {

std::vector<std::string> Fields(std::string line) {
  EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
  line.resize(line.size() - 2);
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t semicolon = line.find(';', start);
    fields.push_back(line.substr(start, semicolon - start));
    if (semicolon == std::string::npos) return fields;
    start = semicolon + 1;
  }
}

TEST(ChartLineWriter, TrackHeaderLine) {
  std::string out;
  AppendTrackHeaderLine(out, "Route 1");
  AppendTrackHeaderLine(out, "");
  EXPECT_EQ(out, "T;Route 1;1;1\r\nT;;1;1\r\n");
}

TEST(ChartLineWriter, TrackPointLine) {
  std::string out;
  AppendTrackPointLine(out, "-4.500000000000000", "47.123000000000000", "12,50",
                       "07/03/2024 10:11:12");
  EXPECT_EQ(out, "P;-4.500000000000000;47.123000000000000;12,50;-9999;07/03/2024 10:11:12\r\n");
  EXPECT_EQ(Fields(out).size(), 6u);  // a decimal comma is no separator
}

TEST(ChartLineWriter, WaypointLineHasTwentyFourFields) {
  std::string out;
  AppendWaypointLine(out, "Bouée", "-4.500000000000000", "47.123000000000000");
  EXPECT_EQ(out,
            "W;Bouée;;-4.500000000000000;47.123000000000000;-9999;47.123000000000000;"
            "-4.500000000000000;0;C8;WGS84;2;1;18;255;1;0;3;Arial,8,0,0,0,0;0;65535;16;0;0\r\n");
  const auto fields = Fields(out);
  ASSERT_EQ(fields.size(), 24u);
  EXPECT_EQ(fields[2], "");
  EXPECT_EQ(fields[6], fields[4]);
  EXPECT_EQ(fields[7], fields[3]);
  EXPECT_EQ(fields[18], "Arial,8,0,0,0,0");
}

TEST(ChartLineWriter, NamesAreWrittenUnescaped) {
  std::string out;
  AppendWaypointLine(out, "a;b", "1", "2");
  EXPECT_EQ(Fields(out).size(), 25u);  // the ";" of the name shifts the rest
}

}  // namespace
}  // namespace tessaline
