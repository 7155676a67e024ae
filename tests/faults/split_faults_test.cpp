// An output cut into parts (--split) is replaced whole or not at all: a
// stop anywhere in the run, or a part that cannot be made, leaves every
// part of the earlier split as it was and no temporary file behind. Both
// kinds of road that split: the stream (a device file read) and the
// chart-to-device converter.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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

// Three thousand points of one track: four parts of a thousand, each large
// enough for several reads and writes.
std::string DeviceTrack() {
  std::string text = "47.0,-4.0,0,\"Balise\",1\r\n";
  for (int k = 0; k < 3000; ++k) text += "47." + std::to_string(1000 + k) + ",-4.5," + std::to_string(k) + ",\"Raz\",2\r\n";
  return text;
}

std::string ChartTrack() {
  std::string text = "T;Raz;1;1\r\n";
  for (int k = 0; k < 3000; ++k) text += "P;-4.5;47." + std::to_string(1000 + k) + ";1,5;-9999;01/05/2024 12:00:00\r\n";
  return text;
}

struct Case {
  const char* name;
  const char* input;
  const char* base;  // of the parts
  std::string (*content)();
  friend void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }
};

class SplitInterrupted : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    WriteWholeFile(folder_.File(GetParam().input), GetParam().content());
    services_.split = true;
    services_.points = 1000;
  }

  std::string Part(int number) const { return folder_.File(GetParam().base + ("-" + std::to_string(number)) + ".asc"); }

  // Parts of an earlier split, fewer than the run makes.
  void WriteOldParts() {
    for (int k = 1; k <= 2; ++k) WriteWholeFile(Part(k), "old part " + std::to_string(k) + "\r\n");
  }

  void ExpectOldPartsAlone() {
    for (int k = 1; k <= 2; ++k) EXPECT_EQ(ReadWholeFile(Part(k)), "old part " + std::to_string(k) + "\r\n");
    std::vector<std::string> expected{GetParam().input, FileNameOf(Part(1)), FileNameOf(Part(2))};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderEntries(folder_.path()), expected);
  }

  static std::string FileNameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

  TempFolder folder_, staging_;
  FixedClock clock_;
  RoadServices services_{RegionalSettings::C(), &clock_, {staging_.path(), "", false}, std::nullopt};
};

TEST_P(SplitInterrupted, AStopAnywhereKeepsTheEarlierPartsWhole) {
  RealFileSystem real;
  RecordingHost counting(real);
  ASSERT_EQ(Roads(counting, services_).Convert(folder_.File(GetParam().input), Request::ToDevice),
            ConversionOutcome::Completed);
  const std::string base = GetParam().base;
  const std::string parts = "4 fichiers : " + base + "-1.asc, " + base + "-2.asc, " + base + "-3.asc, " + base + "-4.asc";
  ASSERT_FALSE(counting.notes.empty());
  EXPECT_TRUE(counting.notes.back().summary.ends_with(parts)) << counting.notes.back().summary;
  EXPECT_NE(ReadWholeFile(Part(4)), "");
  for (int stop_at : CallsToFail(counting.yields(), 16)) {
    SCOPED_TRACE("stopped at yield " + std::to_string(stop_at) + " of " + std::to_string(counting.yields()));
    for (int k = 3; k <= 4; ++k) std::remove(Part(k).c_str());
    WriteOldParts();
    RecordingHost host(real);
    host.StopAtYield(stop_at);
    EXPECT_EQ(Roads(host, services_).Convert(folder_.File(GetParam().input), Request::ToDevice),
              ConversionOutcome::Stopped);
    EXPECT_FALSE(host.completion_shown);
    ExpectOldPartsAlone();
  }
}

TEST_P(SplitInterrupted, APartThatCannotBeMadeFailsTheRunAndKeepsTheEarlierParts) {
  WriteOldParts();
  RealFileSystem real;
  FaultyFileSystem files(real);
  files.Fail(FsCall::CreateTemporary, 1, std::string(GetParam().base) + "-3.");
  RecordingHost host(files);
  EXPECT_EQ(Roads(host, services_).Convert(folder_.File(GetParam().input), Request::ToDevice),
            ConversionOutcome::Failed);
  EXPECT_EQ(files.FailuresInjected(), 1);
  ExpectOldPartsAlone();
}

INSTANTIATE_TEST_SUITE_P(Roads, SplitInterrupted,
                         ::testing::Values(Case{"Stream", "trace.zbx", "trace", &DeviceTrack},
                                           Case{"Converter", "trace_TRK.txt", "trace_TRK", &ChartTrack}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tessaline::testing
