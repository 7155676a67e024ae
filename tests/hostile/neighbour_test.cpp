// Another user of the machine as a hostile neighbour: in a folder everyone
// shares (sticky and open to all, as /tmp is), they plant links at the names
// the program will write, and look at what it writes. The second user is
// made with setpriv (util-linux), which runs a command as another user id;
// the tests run as root.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "hostile_support.h"

namespace tessaline::testing {
namespace {

constexpr const char* kNeighbour = "4242";
constexpr const char* kSecret = "Secret fishing spot\r\n";

class Neighbour : public ::testing::Test {
 protected:
  void SetUp() override {
    if (getuid() != 0) GTEST_SKIP() << "needs to run a command as another user";
    if (access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "setpriv is missing (scripts/setup.sh)";
    // The neighbour reaches the shared folders, and nothing else of ours.
    const std::string root = std::filesystem::path(stage_.data()).parent_path().string();
    ASSERT_EQ(chmod(root.c_str(), 0755), 0);
    ASSERT_EQ(chmod(stage_.data().c_str(), 01777), 0);
    victim_ = root + "/home";
    ASSERT_TRUE(std::filesystem::create_directory(victim_));
    ASSERT_EQ(chmod(victim_.c_str(), 0700), 0);
    WriteWholeFile(victim_ + "/.bashrc", "alias ll='ls -l'\n");
  }

  // What the neighbour runs, as the neighbour, in the shared folder.
  ChildResult AsNeighbour(const std::vector<std::string>& command) const {
    ChildLaunch launch;
    launch.arguments = {"/usr/bin/setpriv", std::string("--reuid=") + kNeighbour,
                        std::string("--regid=") + kNeighbour, "--clear-groups"};
    launch.arguments.insert(launch.arguments.end(), command.begin(), command.end());
    launch.folder = stage_.data();
    return RunChild(launch);
  }

  ConverterStage stage_;
  std::string victim_;
};

// A link of the neighbour's at an output's name is never written through:
// the conversion is refused with its reason, for a single output as for
// either file of a pair, and the file it points to is untouched.
TEST_F(Neighbour, OutputsAreNeverWrittenThroughTheirLinks) {
  WriteWholeFile(stage_.DataFile("route_TRK.txt"), "T;Raz;1;1\r\nP;1;2;3\r\n");
  WriteWholeFile(stage_.DataFile("trace.zbx"), "1,2,3,\"a\",1\r\n1,2,3,\"b\",1\r\n1,2,3,\"w\",2\r\n");
  ASSERT_EQ(AsNeighbour({"ln", "-s", victim_ + "/.bashrc", "route_TRK.asc"}).exit_status, 0);
  ASSERT_EQ(AsNeighbour({"ln", "-s", victim_ + "/.bashrc", "trace_WPT.txt"}).exit_status, 0);

  const ChildResult run = stage_.Convert({"route_TRK.txt", "trace.zbx"});
  EXPECT_EQ(run.exit_status, 1);
  constexpr const char* kForeign = " : Lien symbolique d'un autre utilisateur dans un dossier partagé";
  EXPECT_EQ(run.err, MessageLine("route_TRK.txt", kChartToDeviceError, std::string("route_TRK.asc") + kForeign) +
                         MessageLine("trace.zbx", kDeviceToChartError, std::string("trace_WPT.txt") + kForeign));
  EXPECT_EQ(ReadWholeFile(victim_ + "/.bashrc"), "alias ll='ls -l'\n");
  EXPECT_FALSE(std::filesystem::exists(stage_.DataFile("trace_TRK.txt"))) << "half a pair was written";
  EXPECT_TRUE(std::filesystem::is_symlink(stage_.DataFile("route_TRK.asc")));
}

// The staging store beside the program, in a shared folder: links the
// neighbour put at its names are never followed; the run stages in a store
// of its own and converts.
TEST_F(Neighbour, TheStagingStoreIsNeverOpenedThroughTheirLinks) {
  const std::string bin = std::filesystem::path(stage_.program()).parent_path().string();
  ASSERT_EQ(chmod(bin.c_str(), 01777), 0);
  WriteWholeFile(stage_.DataFile("trace.zbx"), "1,2,3,\"a\",1\r\n1,2,3,\"b\",1\r\n1,2,3,\"w\",2\r\n");
  for (const char* name : {"/ZRB_DB.dat", "/ZRB_DB.lock"}) {
    ASSERT_EQ(AsNeighbour({"ln", "-s", victim_ + "/.bashrc", bin + name}).exit_status, 0);
  }
  const ChildResult run = stage_.Convert({"-q", "trace.zbx"});
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(ReadWholeFile(victim_ + "/.bashrc"), "alias ll='ls -l'\n");
  EXPECT_EQ(LinesOf(ReadWholeFile(stage_.DataFile("trace_WPT.txt"))).size(), 1u);
}

// A private input and a private old output: the new output is private from
// the moment it exists, and the neighbour can read neither it nor anything
// left beside it.
TEST_F(Neighbour, APrivateOutputIsNeverReadable) {
  WriteWholeFile(stage_.DataFile("secret_TRK.txt"), std::string("T;") + kSecret + "P;1;2;3\r\n");
  WriteWholeFile(stage_.DataFile("secret_TRK.asc"), kSecret);
  for (const char* name : {"secret_TRK.txt", "secret_TRK.asc"}) ASSERT_EQ(chmod(stage_.DataFile(name).c_str(), 0600), 0);
  const ChildResult run = stage_.Convert({"-q", "secret_TRK.txt"});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  struct stat info;
  ASSERT_EQ(stat(stage_.DataFile("secret_TRK.asc").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  const ChildResult peek = AsNeighbour({"/bin/sh", "-c", "cat secret_TRK.asc .~*.tmp 2>/dev/null"});
  EXPECT_NE(peek.exit_status, 0);
  EXPECT_EQ(peek.out, "");
}

// A private input and no old output: every road's new outputs are private
// too, whatever the umask would have given a new file.
TEST_F(Neighbour, APrivateInputGivesPrivateOutputs) {
  WriteWholeFile(stage_.DataFile("plan_TRK.txt"), std::string("T;") + kSecret + "P;1;2;3\r\nP;4;5;6\r\n");
  WriteWholeFile(stage_.DataFile("plan.zbx"), "1,2,3,\"a\",1\r\n1,2,3,\"b\",1\r\n1,2,3,\"w\",2\r\n");
  for (const char* name : {"plan_TRK.txt", "plan.zbx"}) ASSERT_EQ(chmod(stage_.DataFile(name).c_str(), 0640), 0);
  ASSERT_EQ(stage_.Convert({"-q", "plan_TRK.txt", "plan.zbx"}).exit_status, 0);
  ASSERT_EQ(stage_.Convert({"-q", "-g", "plan_TRK.txt"}).exit_status, 0);
  for (const char* name : {"plan_TRK.asc", "plan_TRK.gpx", "plan_TRK.txt", "plan_WPT.txt"}) {
    struct stat info;
    if (stat(stage_.DataFile(name).c_str(), &info) != 0) continue;
    EXPECT_EQ(info.st_mode & 0077, 0040u) << name << " may be read by others";
  }
  struct stat track;
  ASSERT_EQ(stat(stage_.DataFile("plan_WPT.txt").c_str(), &track), 0);
  EXPECT_EQ(track.st_mode & 0777, 0640u);
  const ChildResult peek = AsNeighbour({"/bin/sh", "-c", "cat plan_TRK.asc plan_TRK.gpx plan_WPT.txt 2>/dev/null"});
  EXPECT_EQ(peek.out, "");
}

}  // namespace
}  // namespace tessaline::testing
