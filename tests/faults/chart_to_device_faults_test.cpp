// Every file-system call a chart-to-device run makes, made to fail in turn,
// for a track file and a waypoint file: the run must end in the error
// message with ShpEtape4 red and cmdOK hidden, the earlier device file must
// stay byte for byte (never half-written, never emptied), the input must
// stay untouched, and the next run must convert.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "convert/chart_to_device/chart_to_device_converter.h"
#include "fault_sweep.h"
#include "support/faulty_file_system.h"
#include "host/real_file_system.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

namespace tessaline::testing {
namespace {

constexpr const char* kError = "error:Erreur dans le module de conversion Vestamar -> ZRB";
constexpr const char* kOldDevice = "1.0,2.0,3.0,\"old point\"\r\n";

enum class Kind { Track, Waypoint };

// Large enough for several reads per pass (the reader takes 256 KiB at a time).
std::string ChartFile(Kind kind) {
  std::string text;
  for (int k = 0; k < 4000; ++k) {
    const std::string coord2 = "-4." + std::to_string(100000 + k) + "000000000";
    const std::string coord1 = "47." + std::to_string(200000 + k) + "000000000";
    if (kind == Kind::Waypoint) {
      text += "W;Balise é " + std::to_string(k) + ";;" + coord2 + ";" + coord1 + ";-9999;" + coord1 + ";" +
              coord2 + ";0;C8;WGS84;2;1;18;255;1;0;3;Arial,8,0,0,0,0;0;65535;16;0;0\r\n";
    } else if (k % 50 == 0) {
      text += "T;Pointe du Raz " + std::to_string(k / 50) + ";1;1\r\n";
    } else {
      text += "P;" + coord2 + ";" + coord1 + ";" + std::to_string(k % 90) + ",50;-9999;09/03/2024 14:05:07\r\n";
    }
  }
  return text;
}

int StepOf(const std::string& status) {
  const std::string prefix = "Etape N°";
  if (status.compare(0, prefix.size(), prefix) != 0 || status.size() <= prefix.size()) return 0;
  return status[prefix.size()] - '0';
}

struct FaultRun {
  std::unique_ptr<FaultyFileSystem> files;
  std::unique_ptr<RecordingHost> host;
  ConversionOutcome outcome = ConversionOutcome::Failed;
};

class ChartToDeviceFaults : public ::testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    const bool tracks = GetParam() == Kind::Track;
    input_ = folder_.File(tracks ? "route_TRK.txt" : "route_WPT.txt");
    output_ = folder_.File(tracks ? "route_TRK.asc" : "route_WPT.asc");
    content_ = ChartFile(GetParam());
    WriteWholeFile(input_, content_);
    const FaultRun clean = Convert(std::nullopt);
    ASSERT_EQ(clean.outcome, ConversionOutcome::Completed);
    new_device_ = ReadWholeFile(output_);
    ASSERT_NE(new_device_.find(tracks ? ",1.50,\"Pointe du Raz 0\"\r\n" : ",-9999,\"Balise é 0\"\r\n"),
              std::string::npos);
    for (FsCall call : AllFsCalls()) counts_.push_back(clean.files->Count(call));
  }

  FaultRun Convert(std::optional<std::pair<FsCall, int>> fault) {
    WriteWholeFile(output_, kOldDevice);
    FaultRun run;
    run.files = std::make_unique<FaultyFileSystem>(real_);
    if (fault) run.files->Fail(fault->first, fault->second, "", InjectedErrorFor(fault->first));
    run.host = std::make_unique<RecordingHost>(*run.files);
    run.outcome = ConvertChartToDevice(*run.host, input_);
    return run;
  }

  void CheckOneFault(FsCall call, int nth) {
    const FaultRun run = Convert(std::make_pair(call, nth));
    ASSERT_EQ(run.files->FailuresInjected(), 1);
    const RecordingHost& host = *run.host;
    EXPECT_EQ(ReadWholeFile(input_), content_) << "the input changed";
    EXPECT_EQ(TemporaryFiles(folder_.path()), std::vector<std::string>{}) << "an unfinished output was left";
    if (run.outcome == ConversionOutcome::Completed) {
      // Only a look that the conversion can do without may fail unnoticed,
      // and then the result must be the whole new file.
      EXPECT_EQ(host.Messages(), std::vector<std::string>{});
      EXPECT_TRUE(host.completion_shown);
      EXPECT_EQ(ReadWholeFile(output_), new_device_) << "completed with a wrong device file";
    } else {
      EXPECT_EQ(run.outcome, ConversionOutcome::Failed);
      EXPECT_EQ(host.Messages(), std::vector<std::string>{kError});
      EXPECT_FALSE(host.completion_shown) << "cmdOK shown after a failure";
      ASSERT_EQ(host.notes.size(), 1u);
      EXPECT_NE(host.notes[0].reason, "") << "a failure without its reason";
      const int step = StepOf(host.status);
      for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(host.step_finished[static_cast<std::size_t>(i - 1)], i < step)
            << "indicator " << i << " after a failure in step " << step;
      }
      EXPECT_EQ(ReadWholeFile(output_), kOldDevice) << "the earlier device file was not kept whole";
    }
    // Anything that reads or writes the data must fail the run when it fails.
    switch (call) {
      case FsCall::Length: case FsCall::Identity: case FsCall::OpenRead: case FsCall::Read:
      case FsCall::CreateTemporary: case FsCall::Write: case FsCall::SyncOutput:
      case FsCall::CloseOutput: case FsCall::Rename:
        EXPECT_EQ(run.outcome, ConversionOutcome::Failed);
        // The reason names the file the call was about, and why it failed.
        if (!run.host->notes.empty()) {
          EXPECT_TRUE(NamesFileAndInjectedError(run.host->notes.back().reason,
                                                {"route_TRK.", "route_WPT."}, call));
        }
        break;
      // The new file is whole on the disk by then: only its folder entry may lag.
      case FsCall::SyncFolder:
        EXPECT_EQ(run.outcome, ConversionOutcome::Completed);
        break;
      default:
        break;
    }
    const FaultRun next = Convert(std::nullopt);
    EXPECT_EQ(next.outcome, ConversionOutcome::Completed) << "the run after the fault failed";
    EXPECT_EQ(ReadWholeFile(output_), new_device_);
  }

  TempFolder folder_;
  std::string input_, output_, content_, new_device_;
  std::vector<int> counts_;
  RealFileSystem real_;
};

TEST_P(ChartToDeviceFaults, EachCallFailingInTurnLosesNothing) {
  const char* input_name = GetParam() == Kind::Track ? "TrackFile" : "WaypointFile";
  int points = 0;
  for (FsCall call : AllFsCalls()) {
    const int count = counts_[static_cast<std::size_t>(call)];
    const std::vector<int> chosen = CallsToFail(count);
    for (int nth : chosen) {
      SCOPED_TRACE(std::string(FsCallName(call)) + " call " + std::to_string(nth) + " of " +
                   std::to_string(count));
      CheckOneFault(call, nth);
      if (HasFatalFailure()) return;
    }
    if (count > 0) {
      std::printf("[ faults   ] %s/%s: %zu of %d calls made to fail\n", input_name, FsCallName(call),
                  chosen.size(), count);
    }
    points += static_cast<int>(chosen.size());
  }
  RecordProperty("failure_points", points);
  std::printf("[ faults   ] %s: %d failure points\n", input_name, points);
}

INSTANTIATE_TEST_SUITE_P(Inputs, ChartToDeviceFaults, ::testing::Values(Kind::Track, Kind::Waypoint),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                           return std::string(info.param == Kind::Track ? "TrackFile" : "WaypointFile");
                         });

TEST(ChartToDeviceFaultCoverage, ARunReachesEveryKindOfCallThatCarriesData) {
  TempFolder folder;
  RealFileSystem real;
  FaultyFileSystem files(real);
  RecordingHost host(files);
  WriteWholeFile(folder.File("route_TRK.txt"), ChartFile(Kind::Track));
  ASSERT_EQ(ConvertChartToDevice(host, folder.File("route_TRK.txt")), ConversionOutcome::Completed);
  for (FsCall call : {FsCall::TypeOf, FsCall::Length, FsCall::Identity, FsCall::OpenRead, FsCall::Read,
                      FsCall::CreateTemporary, FsCall::Write, FsCall::CloseOutput, FsCall::Rename}) {
    EXPECT_GT(files.Count(call), 0) << FsCallName(call);
  }
  // Several reads in each of the passes.
  EXPECT_GE(files.Count(FsCall::Read), 6);
}

TEST(ChartToDeviceStop, StoppedAtAnyPointLeavesTheEarlierDeviceFileWhole) {
  TempFolder folder;
  RealFileSystem real;
  const std::string input = folder.File("route_TRK.txt");
  const std::string output = folder.File("route_TRK.asc");
  WriteWholeFile(input, ChartFile(Kind::Track));
  RecordingHost counting(real);
  ASSERT_EQ(ConvertChartToDevice(counting, input), ConversionOutcome::Completed);
  for (int stop_at : CallsToFail(counting.yields(), 16)) {
    SCOPED_TRACE("stopped at yield " + std::to_string(stop_at) + " of " + std::to_string(counting.yields()));
    WriteWholeFile(output, kOldDevice);
    RecordingHost host(real);
    host.StopAtYield(stop_at);
    EXPECT_EQ(ConvertChartToDevice(host, input), ConversionOutcome::Stopped);
    EXPECT_EQ(host.Messages(), std::vector<std::string>{});
    EXPECT_FALSE(host.completion_shown);
    EXPECT_EQ(ReadWholeFile(output), kOldDevice);
    EXPECT_EQ(TemporaryFiles(folder.path()), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace tessaline::testing
