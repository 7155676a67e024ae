#include "cli/conversion_run.h"

#include <gtest/gtest.h>

#include "host/real_file_system.h"

namespace tessaline::cli {
namespace {

TEST(DirectionOf, ZbxAtTheEndOfTheFileNameInAnyCaseGoesToTheChart) {
  for (const char* path : {"trace.zbx", "TRACE.ZBX", "x_Zbx", "zbx", "/data/été/relevé.zBX"}) {
    EXPECT_EQ(DirectionOf(path, Direction::ByFileName), FileDirection::DeviceToChart) << path;
  }
  // Only the file name counts, not the folder; and only its end.
  for (const char* path : {"route_TRK.txt", "trace.zbx/route_WPT.txt", "trace.zbx.txt", "zb", "", "trace.zbx/"}) {
    EXPECT_EQ(DirectionOf(path, Direction::ByFileName), FileDirection::ChartToDevice) << path;
  }
  EXPECT_EQ(DirectionOf("route_TRK.txt", Direction::DeviceToChart), FileDirection::DeviceToChart);
  EXPECT_EQ(DirectionOf("trace.zbx", Direction::ChartToDevice), FileDirection::ChartToDevice);
}

// The table of roads: content first (GPX whatever the name), then the name.
TEST(DirectionOf, GpxByContentThenTheNameDecides) {
  struct Road {
    const char* path;
    Direction choice;
    bool is_gpx;
    FileDirection expected;
  };
  for (const Road& road : std::vector<Road>{
           {"a.zbx", Direction::ByFileName, true, FileDirection::GpxToDevice},
           {"a.txt", Direction::ChartToDevice, true, FileDirection::GpxToDevice},
           {"a.gpx", Direction::DeviceToChart, true, FileDirection::GpxToChart},
           {"a.gpx", Direction::ToGpx, true, FileDirection::AlreadyGpx},
           {"a.ZBX", Direction::ToGpx, false, FileDirection::DeviceToGpx},
           {"a_TRK.txt", Direction::ToGpx, false, FileDirection::ChartToGpx},
           {"a.zbx", Direction::ByFileName, false, FileDirection::DeviceToChart},
           {"a.gpx", Direction::ByFileName, false, FileDirection::ChartToDevice},
       }) {
    EXPECT_EQ(DirectionOf(road.path, road.choice, road.is_gpx), road.expected) << road.path;
  }
}

bool stop_requested = false;
bool StopRequested() { return stop_requested; }

// Stopping cannot be reached from outside without racing a signal against
// a conversion, so the run loop's part of it is checked here.
TEST(ConvertFiles, AStopEndsTheRunAndNoFurtherFileStarts) {
  RealFileSystem files;
  StringSink out, err;
  ConsoleHost host(files, out, err, ConsoleHostOptions{false, false, 80, &StopRequested});
  std::vector<std::string> calls;
  Converters converters;
  converters.device_to_chart = [&](const std::string& path) {
    calls.push_back(path);
    return path == "b.zbx" ? ConversionOutcome::Stopped : ConversionOutcome::Completed;
  };
  converters.chart_to_device = converters.device_to_chart;

  stop_requested = false;
  const RunResult stopped = ConvertFiles({"a.zbx", "b.zbx", "c.zbx"}, Direction::ByFileName, host, converters);
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(calls, (std::vector<std::string>{"a.zbx", "b.zbx"}));

  // Interrupted between two files: the next one is not started.
  calls.clear();
  stop_requested = true;
  EXPECT_TRUE(ConvertFiles({"a.zbx"}, Direction::ByFileName, host, converters).stopped);
  EXPECT_TRUE(calls.empty());
  stop_requested = false;
}

}  // namespace
}  // namespace tessaline::cli
