#include "cli/conversion_run.h"

#include <gtest/gtest.h>

#include "host/real_file_system.h"

namespace tessaline::cli {
namespace {

bool stop_requested = false;
bool StopRequested() { return stop_requested; }

// Stopping cannot be reached from outside without racing a signal against
// a conversion, so the run loop's part of it is checked here.
TEST(ConvertFiles, AStopEndsTheRunAndNoFurtherFileStarts) {
  RealFileSystem files;
  StringSink out, err;
  ConsoleHost host(files, out, err, ConsoleHostOptions{false, false, 80, &StopRequested});
  std::vector<std::string> calls;
  auto convert = [&](const std::string& path) {
    calls.push_back(path);
    return path == "b.zbx" ? ConversionOutcome::Stopped : ConversionOutcome::Completed;
  };

  stop_requested = false;
  const RunResult stopped = ConvertFiles({"a.zbx", "b.zbx", "c.zbx"}, host, convert);
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(calls, (std::vector<std::string>{"a.zbx", "b.zbx"}));

  // Interrupted between two files: the next one is not started.
  calls.clear();
  stop_requested = true;
  EXPECT_TRUE(ConvertFiles({"a.zbx"}, host, convert).stopped);
  EXPECT_TRUE(calls.empty());
  stop_requested = false;
}

}  // namespace
}  // namespace tessaline::cli
