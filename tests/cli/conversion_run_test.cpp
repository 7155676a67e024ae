#include "cli/conversion_run.h"

#include <gtest/gtest.h>

#include <map>

#include "host/real_file_system.h"

namespace tessaline::cli {
namespace {

TEST(DirectionOf, ZbxAtTheEndOfTheFileNameInAnyCaseGoesToTheChart) {
  for (const char* path : {"trace.zbx", "TRACE.ZBX", "x_Zbx", "zbx", "/data/été/relevé.zBX"}) {
    EXPECT_EQ(DirectionOf(path, Direction::ByFileName), FileDirection::DeviceToChart) << path;
  }
  // Only the file name counts, not the folder; and only its end.
  for (const char* path : {"route_TRK.txt", "trace.zbx/route_WPT.txt", "trace.zbx.txt", "zb", "",
                           "trace.zbx/"}) {
    EXPECT_EQ(DirectionOf(path, Direction::ByFileName), FileDirection::ChartToDevice) << path;
  }
}

TEST(DirectionOf, AChosenDirectionOverridesTheName) {
  EXPECT_EQ(DirectionOf("route_TRK.txt", Direction::DeviceToChart), FileDirection::DeviceToChart);
  EXPECT_EQ(DirectionOf("trace.zbx", Direction::ChartToDevice), FileDirection::ChartToDevice);
}

// Converters that record their calls and end as told, speaking through the
// host as the real ones do.
struct RunTest : ::testing::Test {
  RunTest() : host(files, out, err, ConsoleHostOptions{}) {
    converters.device_to_chart = [this](const std::string& path) { return Convert("chart", path); };
    converters.chart_to_device = [this](const std::string& path) { return Convert("device", path); };
  }

  ConversionOutcome Convert(const std::string& direction, const std::string& path) {
    calls.push_back(direction + ":" + path);
    const ConversionOutcome outcome = outcomes.count(path) ? outcomes[path] : ConversionOutcome::Completed;
    if (outcome == ConversionOutcome::Completed) host.ShowCompletion("done " + path);
    if (outcome == ConversionOutcome::Failed) host.ShowMessage("échec", MessageIcon::Error);
    if (outcome == ConversionOutcome::Refused) host.ShowMessage("refus", MessageIcon::Information);
    return outcome;
  }

  RealFileSystem files;
  StringSink out, err;
  ConsoleHost host;
  Converters converters;
  std::vector<std::string> calls;
  std::map<std::string, ConversionOutcome> outcomes;
};

TEST_F(RunTest, EveryFileGoesInTurnToItsConverter) {
  const RunResult result =
      ConvertFiles({"a.zbx", "b_TRK.txt", "C.ZBX", "d_WPT.txt"}, Direction::ByFileName, host, converters);
  EXPECT_EQ(result.exit_status, kExitAllConverted);
  EXPECT_FALSE(result.stopped);
  EXPECT_EQ(calls, (std::vector<std::string>{"chart:a.zbx", "device:b_TRK.txt", "chart:C.ZBX",
                                             "device:d_WPT.txt"}));
  EXPECT_EQ(out.text(), "done a.zbx\ndone b_TRK.txt\ndone C.ZBX\ndone d_WPT.txt\n");
}

TEST_F(RunTest, AFailureDoesNotStopTheOtherFilesButSetsTheStatus) {
  outcomes["b_TRK.txt"] = ConversionOutcome::Failed;
  const RunResult failed = ConvertFiles({"a.zbx", "b_TRK.txt", "c.zbx"}, Direction::ByFileName, host, converters);
  EXPECT_EQ(failed.exit_status, kExitSomeFileFailed);
  EXPECT_EQ(calls.size(), 3u);
  EXPECT_EQ(out.text(), "done a.zbx\ndone c.zbx\n");
  // The message names the file it is about, not the last one started.
  EXPECT_EQ(err.text(), "tessaline-convert: b_TRK.txt: échec\n");

  // The format message counts as a failure too, also as the last file.
  calls.clear();
  outcomes["Z.ZBX"] = ConversionOutcome::Refused;
  const RunResult refused = ConvertFiles({"a.zbx", "Z.ZBX"}, Direction::ByFileName, host, converters);
  EXPECT_EQ(refused.exit_status, kExitSomeFileFailed);
}

TEST_F(RunTest, AStoppedConversionEndsTheRun) {
  outcomes["b.zbx"] = ConversionOutcome::Stopped;
  const RunResult result = ConvertFiles({"a.zbx", "b.zbx", "c.zbx"}, Direction::ByFileName, host, converters);
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(calls, (std::vector<std::string>{"chart:a.zbx", "chart:b.zbx"}));
}

bool always_stop() { return true; }

TEST_F(RunTest, NoFileStartsOnceTheUserAskedToStop) {
  ConsoleHostOptions options;
  options.stop_requested = &always_stop;
  ConsoleHost stopping(files, out, err, options);
  const RunResult result = ConvertFiles({"a.zbx"}, Direction::ByFileName, stopping, converters);
  EXPECT_TRUE(result.stopped);
  EXPECT_TRUE(calls.empty());
}

}  // namespace
}  // namespace tessaline::cli
