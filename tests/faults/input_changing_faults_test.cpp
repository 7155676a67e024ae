// An input that shrinks or grows while a road reads it (the lengths told
// before staying as they were) fails on every road with "le fichier a
// changé pendant la conversion", and nothing is written. The same input
// left alone converts: the change alone is at fault.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/roads/roads.h"
#include "fault_sweep.h"
#include "host/real_file_system.h"
#include "support/faulty_file_system.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

namespace tessaline::testing {
namespace {

std::string DevicePoints() {
  std::string text;
  for (int k = 0; k < 2000; ++k) text += "47." + std::to_string(1000 + k) + ",-4.5," + std::to_string(k) + ",\"Raz\",1\r\n";
  return text;
}

std::string ChartTrack() {
  std::string text = "T;Raz;1;1\r\n";
  for (int k = 0; k < 2000; ++k) text += "P;-4.5;47." + std::to_string(1000 + k) + ";1,5;-9999;01/05/2024 12:00:00\r\n";
  return text;
}

std::string GpxTrack() {
  std::string text = "<?xml version=\"1.0\"?>\n<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>\n";
  for (int k = 0; k < 2000; ++k) text += "<trkpt lat=\"47." + std::to_string(1000 + k) + "\" lon=\"-4.5\"/>\n";
  return text + "</trkseg></trk></gpx>\n";
}

struct Case {
  const char* name;
  const char* input;
  std::string (*content)();
  Request request;
  std::int64_t change;  // bytes lost (< 0) or gained (> 0) while read
  friend void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }
};

class InputChangingWhileRead : public ::testing::TestWithParam<Case> {};

TEST_P(InputChangingWhileRead, FailsWithItsReasonAndWritesNothing) {
  const Case& c = GetParam();
  TempFolder folder, staging;
  const std::string path = folder.File(c.input);
  WriteWholeFile(path, c.content());
  RealFileSystem real;
  FaultyFileSystem files(real);
  RecordingHost host(files);
  FixedClock clock;
  Roads roads(host, RoadServices{RegionalSettings::French(), &clock, {staging.path(), "", false}, std::nullopt});

  ASSERT_EQ(roads.Convert(path, c.request), ConversionOutcome::Completed);
  for (const std::string& name : FolderEntries(folder.path())) {
    if (name != c.input) std::remove(folder.File(name).c_str());
  }

  host.completion_shown = false;
  files.ChangeWhileRead(c.input, c.change);
  EXPECT_EQ(roads.Convert(path, c.request), ConversionOutcome::Failed);
  ASSERT_FALSE(host.notes.empty());
  EXPECT_EQ(host.notes.back().reason, std::string(c.input) + " : le fichier a changé pendant la conversion");
  EXPECT_FALSE(host.completion_shown);
  EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{c.input});
}

INSTANTIATE_TEST_SUITE_P(
    , InputChangingWhileRead,
    ::testing::Values(Case{"DeviceToChartShrinking", "trace.zbx", DevicePoints, Request::ByFile, -1000},
                      Case{"DeviceToChartGrowing", "trace.zbx", DevicePoints, Request::ByFile, 10},
                      Case{"DeviceToGpxShrinking", "trace.zbx", DevicePoints, Request::ToGpx, -1000},
                      Case{"DeviceToGpxGrowing", "trace.zbx", DevicePoints, Request::ToGpx, 10},
                      Case{"ChartToDeviceShrinking", "route_TRK.txt", ChartTrack, Request::ByFile, -1000},
                      Case{"ChartToDeviceGrowing", "route_TRK.txt", ChartTrack, Request::ByFile, 10},
                      Case{"ChartToGpxShrinking", "route_TRK.txt", ChartTrack, Request::ToGpx, -1000},
                      Case{"ChartToGpxGrowing", "route_TRK.txt", ChartTrack, Request::ToGpx, 10},
                      Case{"GpxToDeviceShrinking", "route.gpx", GpxTrack, Request::ByFile, -1000},
                      Case{"GpxToDeviceGrowing", "route.gpx", GpxTrack, Request::ByFile, 10},
                      Case{"GpxToChartShrinking", "route.gpx", GpxTrack, Request::ToChart, -1000},
                      Case{"GpxToChartGrowing", "route.gpx", GpxTrack, Request::ToChart, 10}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tessaline::testing
