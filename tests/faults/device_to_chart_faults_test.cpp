// Every file-system call a device-to-chart run makes, made to fail in turn:
// the run must end in the error message (or carry on where the call does
// not matter to the result), leave the panel as far as it got, never put a
// half-written or empty file in place of a good one, never touch the input,
// leave the shared staging store for the next run and no private store
// behind, and the next run must convert as if nothing had happened.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "convert/device_to_chart/device_to_chart_converter.h"
#include "fault_sweep.h"
#include "support/faulty_file_system.h"
#include "host/real_file_system.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

namespace tessaline::testing {
namespace {

constexpr const char* kError = "error:Erreur dans le module de conversion ZRB -> Vestamar";
constexpr const char* kOldTracks = "T;old track;1;1\r\nP;1.000000000000000;2.000000000000000;0.00;-9999;x\r\n";
constexpr const char* kOldWaypoints = "W;old waypoint;;1;2;-9999;2;1;0\r\n";

enum class Where {
  Shared,         // the lock is free: the shared store in the program's folder
  LockHeld,       // another copy holds the lock: a private store beside it
  NewCacheFolder  // an installed program: the store in a cache folder still to be made
};

const char* NameOf(Where where) {
  switch (where) {
    case Where::Shared: return "SharedStore";
    case Where::LockHeld: return "PrivateStore";
    case Where::NewCacheFolder: return "NewCacheFolder";
  }
  return "";
}

// Runs of five points (a track), then a waypoint of a negative group and a
// waypoint of group 0, over and over: 3,003 lines, several buffers of
// records, ending on a run of group 0.
std::string DeviceFile() {
  std::string text;
  for (int k = 0; k < 3003; ++k) {
    const int block = k / 7, position = k % 7;
    const int group = position < 5 ? 1000 + block : position == 5 ? -block - 1 : 0;
    text += "47." + std::to_string(1000 + k) + ",-4." + std::to_string(2000 + k) + "," +
            std::to_string(k % 50) + ".25,\"Point é " + std::to_string(k) + "\"," + std::to_string(group) +
            "\r\n";
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

class DeviceToChartFaults : public ::testing::TestWithParam<Where> {
 protected:
  void SetUp() override {
    data_ = folder_.File("data");
    program_ = folder_.File("program");
    cache_ = folder_.File("cache/tessaline");
    ASSERT_TRUE(real_.CreateFolders(data_) && real_.CreateFolders(program_));
    input_ = data_ + "/trace.zbx";
    tracks_ = data_ + "/trace_TRK.txt";
    waypoints_ = data_ + "/trace_WPT.txt";
    content_ = DeviceFile();
    WriteWholeFile(input_, content_);

    // The converted files, from a run without faults.
    Reset();
    const FaultRun clean = Convert(std::nullopt);
    ASSERT_EQ(clean.outcome, ConversionOutcome::Completed);
    new_tracks_ = ReadWholeFile(tracks_);
    new_waypoints_ = ReadWholeFile(waypoints_);
    ASSERT_NE(new_tracks_.find("T;Point é 0;1;1\r\n"), std::string::npos);
    ASSERT_NE(new_waypoints_.find("W;Point é 3002;;"), std::string::npos);
    for (FsCall call : AllFsCalls()) counts_.push_back(clean.files->Count(call));
  }

  Where where() const { return GetParam(); }

  std::string StoreFolder() const { return where() == Where::NewCacheFolder ? cache_ : program_; }

  // The state before each run: earlier outputs in place, no store, and for
  // an installed program no cache folder yet.
  void Reset() {
    WriteWholeFile(tracks_, kOldTracks);
    WriteWholeFile(waypoints_, kOldWaypoints);
    // The stores of earlier cases, a private one whose removal was made to
    // fail among them.
    for (const std::string& name : FolderEntries(program_)) {
      if (name != "ZRB_DB.lock") real_.Remove(program_ + "/" + name);
    }
    std::filesystem::remove_all(folder_.File("cache"));
  }

  FaultRun Convert(std::optional<std::pair<FsCall, int>> fault) {
    FaultRun run;
    run.files = std::make_unique<FaultyFileSystem>(real_);
    if (where() == Where::LockHeld) {
      run.files->SetLockHeldElsewhere(true);
      run.files->Fail(FsCall::TryLock);
    }
    if (fault) run.files->Fail(fault->first, fault->second, "", InjectedErrorFor(fault->first));
    run.host = std::make_unique<RecordingHost>(*run.files);
    const StagingLocation location{program_, cache_, where() == Where::NewCacheFolder};
    DeviceToChartConverter converter(*run.host, RegionalSettings::French(), clock_, location);
    run.outcome = converter.ConvertDeviceToChart(input_);
    return run;
  }

  // Stores of this run's own, under a unique name: never to be left behind.
  std::vector<std::string> PrivateStores() const {
    std::vector<std::string> found;
    for (const std::string& folder : {program_, cache_}) {
      for (const std::string& name : FolderEntries(folder)) {
        if (name != "ZRB_DB.dat" && name != "ZRB_DB.lock") found.push_back(name);
      }
    }
    return found;
  }

  void CheckAfterFault(const FaultRun& run, FsCall call, int nth) {
    EXPECT_EQ(ReadWholeFile(input_), content_) << "the input changed";
    EXPECT_EQ(TemporaryFiles(data_), std::vector<std::string>{}) << "an unfinished output was left";
    // A private store that cannot be removed stays; nothing else leaves one.
    if (call != FsCall::Remove) {
      EXPECT_EQ(PrivateStores(), std::vector<std::string>{});
    }
    const RecordingHost& host = *run.host;
    const int step = StepOf(host.status);

    switch (run.outcome) {
      case ConversionOutcome::Failed:
        EXPECT_EQ(host.Messages(), std::vector<std::string>{kError});
        EXPECT_FALSE(host.completion_shown);
        ASSERT_EQ(host.notes.size(), 1u);
        EXPECT_NE(host.notes[0].reason, "") << "a failure without its reason";
        // Every step before the failing one is green, that one and the later ones not.
        for (int i = 1; i <= 4; ++i) {
          EXPECT_EQ(host.step_finished[static_cast<std::size_t>(i - 1)], i < step)
              << "indicator " << i << " after a failure in step " << step;
        }
        // Both files are replaced together at the end of step 4: a failure
        // leaves both earlier files, but for a rename refused between the two,
        // which nothing can undo (the track file is then the whole new one).
        if (call != FsCall::Rename || ReadWholeFile(tracks_) != new_tracks_) {
          EXPECT_EQ(ReadWholeFile(tracks_), kOldTracks);
        }
        EXPECT_EQ(ReadWholeFile(waypoints_), kOldWaypoints);
        // The shared store stays for the next run once step 1 has filled it.
        if (where() != Where::LockHeld && step >= 2) {
          EXPECT_TRUE(FileExists(StoreFolder() + "/ZRB_DB.dat")) << "the staging store was not left";
        }
        break;
      case ConversionOutcome::Completed:
        EXPECT_EQ(host.Messages(), std::vector<std::string>{});
        EXPECT_TRUE(host.completion_shown);
        EXPECT_EQ(host.completion_caption, "Traitement du fichier trace.zbx terminé.");
        for (bool green : host.step_finished) EXPECT_TRUE(green);
        EXPECT_EQ(ReadWholeFile(tracks_), new_tracks_) << "completed with a wrong track file";
        EXPECT_EQ(ReadWholeFile(waypoints_), new_waypoints_) << "completed with a wrong waypoint file";
        // Only a failed deletion (or a failed look whether it exists) keeps it.
        if (call != FsCall::Remove && call != FsCall::TypeOf) {
          EXPECT_FALSE(FileExists(StoreFolder() + "/ZRB_DB.dat"));
        }
        break;
      default:
        ADD_FAILURE() << "neither completed nor failed";
    }

    // Reading, writing, creating, closing and renaming are the data: their
    // failure must fail the run. Deleting the store at the end, finding the
    // program's folder unwritable or the lock unusable are not failures.
    // (A private store whose creation fails is tried again under another
    // name, so that one may go either way.)
    switch (call) {
      case FsCall::Length: case FsCall::OpenRead: case FsCall::Read: case FsCall::OpenRecords:
      case FsCall::ReadAt: case FsCall::WriteAt:
      case FsCall::CloseRecords: case FsCall::CreateTemporary: case FsCall::Write:
      case FsCall::SyncOutput: case FsCall::CloseOutput: case FsCall::Rename:
        EXPECT_EQ(run.outcome, ConversionOutcome::Failed);
        // The reason names the file the call was about, and why it failed.
        if (!host.notes.empty()) {
          EXPECT_TRUE(NamesFileAndInjectedError(host.notes.back().reason,
                                                {"trace.zbx", "trace_TRK.txt", "trace_WPT.txt", "ZRB_DB."},
                                                call));
        }
        break;
      case FsCall::Remove: case FsCall::TryLock: case FsCall::SyncFolder:
        EXPECT_EQ(run.outcome, ConversionOutcome::Completed);
        break;
      case FsCall::IsWritableFolder:
        // The cache folder stands in for the program's; for an installed
        // program there is nothing else.
        if (where() != Where::NewCacheFolder || nth == 1) {
          EXPECT_EQ(run.outcome, ConversionOutcome::Completed);
        }
        break;
      default:
        break;
    }
  }

  // After any fault the next run converts in full and cleans up.
  void CheckNextRunConverts() {
    WriteWholeFile(tracks_, kOldTracks);
    WriteWholeFile(waypoints_, kOldWaypoints);
    const FaultRun next = Convert(std::nullopt);
    ASSERT_EQ(next.outcome, ConversionOutcome::Completed) << "the run after the fault failed";
    EXPECT_EQ(ReadWholeFile(tracks_), new_tracks_);
    EXPECT_EQ(ReadWholeFile(waypoints_), new_waypoints_);
    EXPECT_FALSE(FileExists(StoreFolder() + "/ZRB_DB.dat"));
    EXPECT_EQ(TemporaryFiles(data_), std::vector<std::string>{});
  }

  TempFolder folder_;
  std::string data_, program_, cache_, input_, tracks_, waypoints_;
  std::string content_, new_tracks_, new_waypoints_;
  std::vector<int> counts_;
  RealFileSystem real_;
  FixedClock clock_;
};

TEST_P(DeviceToChartFaults, EachCallFailingInTurnLosesNothing) {
  int points = 0;
  for (FsCall call : AllFsCalls()) {
    // With the lock held elsewhere every TryLock already fails.
    if (where() == Where::LockHeld && call == FsCall::TryLock) continue;
    const int count = counts_[static_cast<std::size_t>(call)];
    const std::vector<int> chosen = CallsToFail(count);
    for (int nth : chosen) {
      SCOPED_TRACE(std::string(FsCallName(call)) + " call " + std::to_string(nth) + " of " +
                   std::to_string(count));
      Reset();
      const FaultRun run = Convert(std::make_pair(call, nth));
      ASSERT_GE(run.files->FailuresInjected(), 1);
      CheckAfterFault(run, call, nth);
      CheckNextRunConverts();
      if (HasFatalFailure()) return;
    }
    if (count > 0) {
      std::printf("[ faults   ] %s/%s: %zu of %d calls made to fail\n", NameOf(where()), FsCallName(call),
                  chosen.size(), count);
    }
    points += static_cast<int>(chosen.size());
  }
  RecordProperty("failure_points", points);
  std::printf("[ faults   ] %s: %d failure points\n", NameOf(where()), points);
}

INSTANTIATE_TEST_SUITE_P(Stores, DeviceToChartFaults,
                         ::testing::Values(Where::Shared, Where::LockHeld, Where::NewCacheFolder),
                         [](const ::testing::TestParamInfo<Where>& info) { return NameOf(info.param); });

// The sweep is only worth something if the run reaches the calls that carry
// the data: open, read, length, create, write, rename, delete, lock.
TEST(DeviceToChartFaultCoverage, ARunReachesEveryKindOfCallThatCarriesData) {
  TempFolder folder;
  RealFileSystem real;
  FaultyFileSystem files(real);
  RecordingHost host(files);
  FixedClock clock;
  WriteWholeFile(folder.File("trace.zbx"), DeviceFile());
  DeviceToChartConverter converter(host, RegionalSettings::C(), clock,
                                   StagingLocation{folder.path(), "", false});
  ASSERT_EQ(converter.ConvertDeviceToChart(folder.File("trace.zbx")), ConversionOutcome::Completed);
  for (FsCall call : {FsCall::TypeOf, FsCall::Length, FsCall::OpenRead, FsCall::Read, FsCall::OpenRecords,
                      FsCall::ReadAt, FsCall::WriteAt, FsCall::CloseRecords, FsCall::CreateTemporary,
                      FsCall::Write, FsCall::CloseOutput, FsCall::Rename, FsCall::Remove,
                      FsCall::IsWritableFolder, FsCall::TryLock}) {
    EXPECT_GT(files.Count(call), 0) << FsCallName(call);
  }
  // Several buffers of records each way, so the middle ones are tried too.
  EXPECT_GE(files.Count(FsCall::WriteAt), 3);
  EXPECT_GE(files.Count(FsCall::ReadAt), 3);
}

// Closing the window mid-run: stopped at any yield, the run shows nothing,
// leaves no unfinished file, and the next run converts.
TEST(DeviceToChartStop, StoppedAtAnyPointLeavesEarlierOutputsWhole) {
  TempFolder folder;
  RealFileSystem real;
  FixedClock clock;
  const std::string input = folder.File("trace.zbx");
  WriteWholeFile(input, DeviceFile());
  auto convert = [&](int stop_at, RecordingHost& host) {
    DeviceToChartConverter converter(host, RegionalSettings::C(), clock,
                                     StagingLocation{folder.File("program"), "", false});
    host.StopAtYield(stop_at);
    return converter.ConvertDeviceToChart(input);
  };
  ASSERT_TRUE(real.CreateFolders(folder.File("program")));
  RecordingHost counting(real);
  ASSERT_EQ(convert(0, counting), ConversionOutcome::Completed);
  const std::string new_tracks = ReadWholeFile(folder.File("trace_TRK.txt"));
  const std::string new_waypoints = ReadWholeFile(folder.File("trace_WPT.txt"));

  for (int stop_at : CallsToFail(counting.yields(), 16)) {
    SCOPED_TRACE("stopped at yield " + std::to_string(stop_at) + " of " + std::to_string(counting.yields()));
    WriteWholeFile(folder.File("trace_TRK.txt"), kOldTracks);
    WriteWholeFile(folder.File("trace_WPT.txt"), kOldWaypoints);
    RecordingHost host(real);
    EXPECT_EQ(convert(stop_at, host), ConversionOutcome::Stopped);
    EXPECT_EQ(host.Messages(), std::vector<std::string>{});
    EXPECT_FALSE(host.completion_shown);
    const std::string tracks = ReadWholeFile(folder.File("trace_TRK.txt"));
    EXPECT_TRUE(tracks == kOldTracks || tracks == new_tracks);
    EXPECT_EQ(ReadWholeFile(folder.File("trace_WPT.txt")), kOldWaypoints);
    EXPECT_EQ(TemporaryFiles(folder.path()), std::vector<std::string>{});
    RecordingHost next(real);
    EXPECT_EQ(convert(0, next), ConversionOutcome::Completed);
    EXPECT_EQ(ReadWholeFile(folder.File("trace_WPT.txt")), new_waypoints);
  }
}

}  // namespace
}  // namespace tessaline::testing
