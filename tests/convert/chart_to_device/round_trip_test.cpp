// Device file -> chart files -> device files again: what a user who goes
// both ways gets back.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <charconv>
#include <string>
#include <tuple>
#include <vector>

#include "convert/chart_to_device/chart_to_device_converter.h"
#include "convert/device_to_chart/device_to_chart_converter.h"
#include "host/real_file_system.h"
#include "support/fixed_clock.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

namespace tessaline {
namespace {

using namespace tessaline::testing;

using tessaline::testing::FixedClock;

double Number(const std::string& text) {
  double number = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
  EXPECT_TRUE(result.ec == std::errc() && result.ptr == text.data() + text.size()) << text;
  return number;
}

// Coord1 and Coord2 as the numbers they read as, Value, Name without quotes.
using Point = std::tuple<double, double, std::string, std::string>;

// A line that is not three fields and a quoted name fails the test.
std::vector<Point> ReadBack(const std::string& path) {
  const std::string text = ReadWholeFile(path);
  std::vector<Point> points;
  for (std::size_t start = 0, end; start < text.size(); start = end + 2) {
    end = std::min(text.find("\r\n", start), text.size());
    const std::string line = text.substr(start, end - start);
    const std::size_t c1 = line.find(','), c2 = line.find(',', c1 + 1), c3 = line.find(',', c2 + 1);
    const std::string name = c3 == std::string::npos ? "" : line.substr(c3 + 1);
    if (line.empty()) continue;
    EXPECT_TRUE(name.size() >= 2 && name.front() == '"' && name.back() == '"' &&
                name.find(',') == std::string::npos) << line;
    points.emplace_back(Number(line.substr(0, c1)), Number(line.substr(c1 + 1, c2 - c1 - 1)),
                        line.substr(c2 + 1, c3 - c2 - 1), name.substr(1, name.size() - 2));
  }
  return points;
}

class RoundTrip : public ::testing::TestWithParam<RegionalSettings> {};

TEST_P(RoundTrip, GivesBackEveryPoint) {
  TempFolder folder;
  RealFileSystem files;
  RecordingHost host(files);
  FixedClock clock;
  WriteWholeFile(folder.File("sortie.zbx"),
                 "47.123,-4.5,12.5,\"Ile\",7\r\n47.2,-4.6,3,\"Ile bis\",7\r\n"
                 "-0.1,123.456789012345,-0.125,\"x\",7\r\n48.1,-5.1,1,\"  Phare  \",4\r\n"
                 "49,-6,2.345,\"Anse\",9\r\n1e-7,0,7,\"y\",9\r\n");
  DeviceToChartConverter to_chart(host, GetParam(), clock,
                                  StagingLocation{folder.path(), folder.File("cache"), false});
  ASSERT_EQ(to_chart.ConvertDeviceToChart(folder.File("sortie.zbx")), ConversionOutcome::Completed);
  ASSERT_EQ(ConvertChartToDevice(host, folder.File("sortie_TRK.txt")), ConversionOutcome::Completed);
  ASSERT_EQ(ConvertChartToDevice(host, folder.File("sortie_WPT.txt")), ConversionOutcome::Completed);

  EXPECT_THAT(ReadBack(folder.File("sortie_TRK.asc")),
              ::testing::ElementsAre(Point(47.123, -4.5, "12.50", "Ile"), Point(47.2, -4.6, "3.00", "Ile"),
                                     Point(-0.1, 123.456789012345, "-0.13", "Ile"),
                                     Point(49, -6, "2.35", "Anse"), Point(1e-7, 0, "7.00", "Anse")));
  EXPECT_THAT(ReadBack(folder.File("sortie_WPT.asc")),
              ::testing::ElementsAre(Point(48.1, -5.1, "-9999", "Phare")));
}

INSTANTIATE_TEST_SUITE_P(, RoundTrip, ::testing::Values(RegionalSettings::C(), RegionalSettings::French()),
                         [](const auto& info) { return info.index == 0 ? "C" : "French"; });

}  // namespace
}  // namespace tessaline
