// Two copies of the program converting at the same time, sharing one
// program folder: the second finds the store in use, stages privately, and
// both produce correct files.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "converter_fixture.h"

namespace tessaline::testing {
namespace {

// Pauses the conversion at its first yield until the other process is done.
class PausingHost final : public RecordingHost {
 public:
  PausingHost(FileSystem& files, int ready_fd, int go_fd)
      : RecordingHost(files), ready_fd_(ready_fd), go_fd_(go_fd) {}
  bool Yield() override {
    if (!paused_) {
      paused_ = true;
      char byte = 'r';
      if (write(ready_fd_, &byte, 1) != 1) return true;
      if (read(go_fd_, &byte, 1) != 1) return true;
    }
    return RecordingHost::Yield();
  }

 private:
  int ready_fd_, go_fd_;
  bool paused_ = false;
};

TEST_F(DeviceToChartTest, TwoProcessesConvertAtOnceAndBothSucceed) {
  WriteWholeFile(Data("first.zbx"), DeviceLines({"1", "1", "1", "2"}));
  WriteWholeFile(Data("second.zbx"), DeviceLines({"8", "9", "9"}));
  int ready[2], go[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(go), 0);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The first copy: takes the lock and the shared store, then waits in
    // the middle of step 1.
    close(ready[0]);
    close(go[1]);
    RealFileSystem child_files;
    PausingHost child_host(child_files, ready[1], go[0]);
    TickingClock child_clock;
    DeviceToChartConverter converter(child_host, RegionalSettings::French(), child_clock, location);
    const bool ok = converter.ConvertDeviceToChart(Data("first.zbx")) == ConversionOutcome::Completed;
    _exit(ok ? 0 : 1);
  }
  close(ready[1]);
  close(go[0]);
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);  // the first copy holds the lock now
  EXPECT_TRUE(FileExists(store_path()));

  // The second copy runs to its end meanwhile.
  const ConversionOutcome second = ConvertPath(Data("second.zbx"));
  const bool shared_store_still_there = FileExists(store_path());
  ASSERT_EQ(write(go[1], "g", 1), 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  close(ready[0]);
  close(go[1]);

  EXPECT_EQ(second, ConversionOutcome::Completed);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(files.Count(FsCall::CreateRecordsExclusive), 1);  // it staged privately
  EXPECT_TRUE(shared_store_still_there);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  const std::string first_tracks = ReadWholeFile(Data("first_TRK.txt"));
  EXPECT_EQ(first_tracks.rfind("T;P1;1;1\r\nP;-4.100000000000000;47.100000000000000;1,50;", 0), 0u);
  EXPECT_EQ(std::count(first_tracks.begin(), first_tracks.end(), '\n'), 4);
  EXPECT_EQ(ReadWholeFile(Data("first_WPT.txt")).rfind("W;P4;;", 0), 0u);
  const std::string second_tracks = ReadWholeFile(Data("second_TRK.txt"));
  EXPECT_EQ(second_tracks.rfind("T;P2;1;1\r\nP;-4.200000000000000;47.200000000000000;2,50;", 0), 0u);
  EXPECT_EQ(std::count(second_tracks.begin(), second_tracks.end(), '\n'), 3);
  EXPECT_EQ(ReadWholeFile(Data("second_WPT.txt")).rfind("W;P1;;", 0), 0u);

  // Nothing left but the lock file.
  EXPECT_EQ(FilesStartingWith(program_folder(), "ZRB_DB"), std::vector<std::string>{"ZRB_DB.lock"});
}

}  // namespace
}  // namespace tessaline::testing
