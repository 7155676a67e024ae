// Two copies of the program converting at once beside one program folder.

// fork() and pipes: POSIX only.
#ifndef _WIN32

#include <sys/wait.h>
#include <unistd.h>

#include "converter_fixture.h"

namespace tessaline::testing {
namespace {

// Stops at its first yield until the other process has finished.
class PausingHost final : public RecordingHost {
 public:
  PausingHost(FileSystem& files, int ready_fd, int go_fd)
      : RecordingHost(files), ready_fd_(ready_fd), go_fd_(go_fd) {}
  bool Yield() override {
    char byte = 'r';
    if (!paused_ && (paused_ = true) && (write(ready_fd_, &byte, 1) != 1 || read(go_fd_, &byte, 1) != 1)) {
      return true;
    }
    return RecordingHost::Yield();
  }

 private:
  int ready_fd_, go_fd_;
  bool paused_ = false;
};

TEST_F(DeviceToChartTest, TwoProcessesConvertAtOnceAndBothProduceCorrectFiles) {
  WriteWholeFile(Data("first.zbx"), DeviceLines({"1", "1", "1", "2"}));
  int ready[2], go[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(go), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {  // the first copy: holds the lock and the shared store, paused in step 1
    RealFileSystem child_files;
    PausingHost child_host(child_files, ready[1], go[0]);
    DeviceToChartConverter converter(child_host, RegionalSettings::French(), clock, location);
    _exit(converter.ConvertDeviceToChart(Data("first.zbx")) == ConversionOutcome::Completed ? 0 : 1);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  // The second copy runs from start to end meanwhile.
  EXPECT_EQ(Convert(DeviceLines({"8", "9", "9"}), "second.zbx"), ConversionOutcome::Completed);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(files.Count(FsCall::CreateRecordsExclusive), 1);  // it staged privately
  EXPECT_TRUE(FileExists(store_path()));                       // and left the shared store alone
  ASSERT_EQ(write(go[1], "g", 1), 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  for (int fd : {ready[0], ready[1], go[0], go[1]}) close(fd);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  EXPECT_EQ(ReadWholeFile(Data("first_TRK.txt")),
            "T;P1;1;1\r\nP;-4.100000000000000;47.100000000000000;1,50;-9999;07/03/2024 10:11:12\r\n"
            "P;-4.200000000000000;47.200000000000000;2,50;-9999;07/03/2024 10:11:13\r\n"
            "P;-4.300000000000000;47.300000000000000;3,50;-9999;07/03/2024 10:11:14\r\n");
  EXPECT_EQ(ReadWholeFile(Data("first_WPT.txt")).rfind("W;P4;;", 0), 0u);
  EXPECT_EQ(Occurrences(ReadWholeFile(Data("second_TRK.txt")), "P;"), 2);
  EXPECT_EQ(ReadWholeFile(Data("second_WPT.txt")).rfind("W;P1;;", 0), 0u);
  EXPECT_EQ(Listing(program_folder(), "ZRB_DB"), Events{"ZRB_DB.lock"});
}

}  // namespace
}  // namespace tessaline::testing

#endif  // _WIN32
