// tessaline-convert killed with SIGKILL in the middle of its work, at
// moments spread over a run and at the moments that matter most (the
// staging store just opened, an output being written): whatever is left,
// each output is the earlier complete file or the new complete one, an
// unfinished file never carries an output's name, and the next run
// converts everything, reusing the store and the lock the killed run held.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "hostile_support.h"

namespace tessaline::testing {
namespace {

const std::vector<std::string> kOutputs = {"trace_TRK.txt", "trace_WPT.txt", "route_TRK.asc"};

class KilledRuns : public ::testing::Test {
 protected:
  void SetUp() override {
    // 32,766 points of about 1 KB each (names are cut to 50 bytes, so this
    // only makes the first step long enough to be caught in), in tracks of
    // ten points and single waypoints; and a track file of 300,000 lines.
    std::string device;
    const std::string padding(900, 'x');
    for (int k = 0; k < 32766; ++k) {
      const int group = k % 11 == 10 ? -(k % 1000) - 1 : k / 11 % 1000;
      device += "47." + std::to_string(100000 + k) + ",-4." + std::to_string(200000 + k) + "," +
                std::to_string(k % 70) + ".5,\"Point " + std::to_string(k) + padding + "\"," +
                std::to_string(group) + "\r\n";
    }
    WriteWholeFile(stage_.DataFile("trace.zbx"), device);
    device.clear();
    device.shrink_to_fit();
    std::string chart;
    for (int k = 0; k < 300000; ++k) {
      chart += k % 100 == 0 ? "T;Route " + std::to_string(k / 100) + ";1;1\r\n"
                            : "P;-4." + std::to_string(300000 + k) + "000000000;47." + std::to_string(400000 + k) +
                                  "000000000;" + std::to_string(k % 40) + ",25;-9999;09/03/2024 14:05:07\r\n";
    }
    WriteWholeFile(stage_.DataFile("route_TRK.txt"), chart);

    // The complete outputs, from a run left alone.
    const ChildResult clean = Run();
    ASSERT_EQ(clean.exit_status, 0) << clean.err;
    full_run_ = clean.duration;
    new_tracks_ = WithoutStamps(ReadWholeFile(stage_.DataFile("trace_TRK.txt")));
    new_waypoints_ = ReadWholeFile(stage_.DataFile("trace_WPT.txt"));
    std::filesystem::copy_file(stage_.DataFile("route_TRK.asc"), stage_.DataFile("reference.asc.ref"));
    ASSERT_GT(LinesOf(new_tracks_).size(), 30000u);
    ASSERT_GT(FileSize(stage_.DataFile("reference.asc.ref")), 10u << 20);
  }

  // Every point kept, so that the device file is large enough to be caught
  // while it is written.
  ChildResult Run() const { return stage_.Convert({"-q", "-n", "300000", "trace.zbx", "route_TRK.txt"}); }

  void PutEarlierOutputs() {
    for (const std::string& name : kOutputs) WriteWholeFile(stage_.DataFile(name), "earlier " + name + "\r\n");
  }

  // "earlier", "new", or what is wrong with it.
  std::string StateOf(const std::string& name) {
    const std::string path = stage_.DataFile(name);
    if (name == "route_TRK.asc") {
      if (FileSize(path) < 100) return ReadWholeFile(path) == "earlier " + name + "\r\n" ? "earlier" : "BROKEN";
      return SameContent(path, stage_.DataFile("reference.asc.ref")) ? "new" : "BROKEN";
    }
    const std::string text = ReadWholeFile(path);
    if (text == "earlier " + name + "\r\n") return "earlier";
    const bool complete = name == "trace_TRK.txt" ? WithoutStamps(text) == new_tracks_ : text == new_waypoints_;
    return complete ? "new" : "BROKEN";
  }

  // What a killed run may leave besides the inputs and outputs: files being
  // written, under a name no output or input rule would take.
  void CheckLeftovers() {
    for (const auto& entry : std::filesystem::directory_iterator(stage_.data())) {
      const std::string name = entry.path().filename().string();
      if (name == "trace.zbx" || name == "route_TRK.txt" || name == "reference.asc.ref") continue;
      if (std::find(kOutputs.begin(), kOutputs.end(), name) != kOutputs.end()) continue;
      // Hidden, ending in ".tmp": no input or output rule takes it.
      EXPECT_TRUE(name.front() == '.' && entry.path().extension() == ".tmp") << "unexpected file " << name;
      ++unfinished_files_;
    }
    // Beside the program: the store and its lock, nothing else.
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(stage_.StoreFile()).parent_path())) {
      const std::string name = entry.path().filename().string();
      EXPECT_TRUE(name == "tessaline-convert" || name == "ZRB_DB.dat" || name == "ZRB_DB.lock")
          << "unexpected file beside the program: " << name;
    }
  }

  // Starts a run, kills it when `moment` says so (or after `limit`), then
  // checks what it left and that the next run converts.
  void KillAndCheck(const std::string& label, const std::function<bool()>& moment,
                    std::chrono::microseconds limit) {
    SCOPED_TRACE("killed " + label);
    PutEarlierOutputs();
    Child child(stage_.LaunchFor({"-q", "-n", "300000", "trace.zbx", "route_TRK.txt"}));
    const auto start = std::chrono::steady_clock::now();
    while (!moment() && std::chrono::steady_clock::now() - start < limit) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    child.Kill(SIGKILL);
    const ChildResult killed = child.Wait();
    const bool was_killed = killed.signal == SIGKILL;
    const bool store_left = FileExists(stage_.StoreFile());
    store_left_ += store_left ? 1 : 0;

    std::string summary;
    for (const std::string& name : kOutputs) {
      const std::string state = StateOf(name);
      EXPECT_NE(state, "BROKEN") << name << " is neither the earlier file nor the new one";
      summary += " " + name + "=" + state;
    }
    CheckLeftovers();
    std::printf("[ kill     ] %-28s %s after %lld ms:%s%s\n", label.c_str(), was_killed ? "killed" : "finished",
                static_cast<long long>(killed.duration.count()), summary.c_str(),
                store_left ? " (staging store left)" : "");

    // The next run, with whatever the killed one left lying about.
    const ChildResult next = Run();
    EXPECT_EQ(next.exit_status, 0) << "the run after the kill failed: " << next.err;
    EXPECT_EQ(next.err, "");
    for (const std::string& name : kOutputs) EXPECT_EQ(StateOf(name), "new") << name << " after the next run";
    EXPECT_FALSE(FileExists(stage_.StoreFile())) << "the next run did not delete the store";
    // Nothing can remove the unfinished file of a killed run; clear it away
    // so that the next kill watches for its own.
    for (const auto& entry : std::filesystem::directory_iterator(stage_.data())) {
      if (entry.path().extension() == ".tmp") std::filesystem::remove(entry.path());
    }
  }

  // Adds the unfinished files now present to `seen`; returns how many were seen.
  std::size_t UnfinishedFilesSeen(std::set<std::string>& seen) const {
    for (const auto& entry : std::filesystem::directory_iterator(stage_.data())) {
      if (entry.path().extension() == ".tmp") seen.insert(entry.path().filename().string());
    }
    return seen.size();
  }

  ConverterStage stage_;
  std::chrono::milliseconds full_run_{0};
  std::string new_tracks_, new_waypoints_;
  int store_left_ = 0;
  int unfinished_files_ = 0;
};

TEST_F(KilledRuns, AnyOutputLeftIsTheEarlierOrTheNewCompleteFile) {
  const auto run = std::chrono::duration_cast<std::chrono::microseconds>(full_run_);
  std::printf("[ kill     ] a run left alone takes %lld ms\n", static_cast<long long>(full_run_.count()));
  // Moments spread over a whole run, from before the program starts on.
  for (int eighth = 0; eighth <= 8; ++eighth) {
    KillAndCheck("at " + std::to_string(eighth) + "/8 of a run", [] { return false; }, run * eighth / 8);
  }
  // The moments that matter: step 1 under way, each output being written.
  const std::string store = stage_.StoreFile();
  KillAndCheck("in step 1 (store opened)", [&] { return FileExists(store); }, run * 2);
  // Temporary files have names of their own: the kth one seen is the kth
  // output being written.
  for (std::size_t k = 1; k <= kOutputs.size(); ++k) {
    std::set<std::string> seen;
    KillAndCheck("writing output " + std::to_string(k), [&] { return UnfinishedFilesSeen(seen) >= k; }, run * 2);
  }
  std::printf("[ kill     ] %d kills left the staging store, %d unfinished files left\n", store_left_,
              unfinished_files_);
  // The run killed in step 1 left the store (and its lock) to the next run.
  EXPECT_GE(store_left_, 1) << "no kill came while the staging store was in use";
}

}  // namespace
}  // namespace tessaline::testing
