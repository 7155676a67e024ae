#include "host/replace_file.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <set>

#include "support/faulty_file_system.h"
#include "host/real_file_system.h"
#include "support/temp_folder.h"

namespace tessaline {
namespace {

using testing::ReadWholeFile;
using testing::TempFolder;
using testing::WriteWholeFile;

int EntriesIn(const std::string& folder) {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

#ifndef _WIN32  // POSIX permission bits, umask and symbolic links
mode_t ModeOf(const std::string& path) {
  struct stat info;
  EXPECT_EQ(stat(path.c_str(), &info), 0);
  return info.st_mode & 07777;
}

TEST(ReplaceFileWith, CreatesANewFileWithTheUsualPermissions) {
  TempFolder folder;
  RealFileSystem files;
  const mode_t old_umask = umask(022);
  ASSERT_TRUE(ReplaceFileWith(files, folder.File("out.txt"), "content\r\n"));
  umask(old_umask);
  EXPECT_EQ(ReadWholeFile(folder.File("out.txt")), "content\r\n");
  EXPECT_EQ(ModeOf(folder.File("out.txt")), 0644u);  // 0666 less the umask, not 0600
  EXPECT_EQ(EntriesIn(folder.path()), 1);
}

TEST(ReplaceFileWith, ReplacesAnExistingFileAndKeepsItsPermissions) {
  TempFolder folder;
  RealFileSystem files;
  WriteWholeFile(folder.File("out.txt"), "old");
  chmod(folder.File("out.txt").c_str(), 0640);
  ASSERT_TRUE(ReplaceFileWith(files, folder.File("out.txt"), "new"));
  EXPECT_EQ(ReadWholeFile(folder.File("out.txt")), "new");
  EXPECT_EQ(ModeOf(folder.File("out.txt")), 0640u);
  EXPECT_EQ(EntriesIn(folder.path()), 1);
}

// A rename through a link would write in a folder the user never named:
// the link itself is replaced, with the permissions of what it pointed to.
TEST(ReplaceFileWith, ReplacesASymbolicLinkItselfAndLeavesWhatItPointsTo) {
  TempFolder folder;
  RealFileSystem files;
  std::filesystem::create_directory(folder.File("real"));
  WriteWholeFile(folder.File("real/out.txt"), "old");
  chmod(folder.File("real/out.txt").c_str(), 0600);
  std::filesystem::create_symlink("real/out.txt", folder.File("link.txt"));
  std::filesystem::create_symlink("real/none.txt", folder.File("dangling.txt"));
  ASSERT_TRUE(ReplaceFileWith(files, folder.File("link.txt"), "new"));
  ASSERT_TRUE(ReplaceFileWith(files, folder.File("dangling.txt"), "new"));
  EXPECT_FALSE(std::filesystem::is_symlink(folder.File("link.txt")));
  EXPECT_EQ(ReadWholeFile(folder.File("link.txt")), "new");
  EXPECT_EQ(ModeOf(folder.File("link.txt")), 0600u);
  EXPECT_FALSE(std::filesystem::is_symlink(folder.File("dangling.txt")));
  EXPECT_EQ(ReadWholeFile(folder.File("real/out.txt")), "old");
  EXPECT_EQ(EntriesIn(folder.File("real")), 1);
}

// While an output is written, its temporary file has the old file's mode
// already (no moment where others may read it), and on Linux it has no name
// at all, so that a killed run leaves nothing behind.
TEST(ReplaceFileWith, TheTemporaryFileHasItsFinalModeFromTheStartAndNoNameWhileWritten) {
  TempFolder folder;
  RealFileSystem real;
  FaultyFileSystem files(real);
  WriteWholeFile(folder.File("out.txt"), "secret");
  chmod(folder.File("out.txt").c_str(), 0600);
  std::set<mode_t> modes_seen;
  std::set<std::string> names_seen;
  files.BeforeEachCall([&](FsCall call, const std::string&) {
    if (call != FsCall::Write) return;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
      names_seen.insert(entry.path().filename().string());
    }
    // The files this process writes in the folder, named or not.
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
      std::error_code error;
      const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
      if (error || target.rfind(folder.path(), 0) != 0) continue;
      struct stat info;
      if (stat(entry.path().c_str(), &info) == 0 && S_ISREG(info.st_mode)) modes_seen.insert(info.st_mode & 07777);
    }
  });
  const mode_t old_umask = umask(022);
  ASSERT_TRUE(ReplaceFileWith(files, folder.File("out.txt"), "new secret"));
  umask(old_umask);
  EXPECT_EQ(modes_seen, (std::set<mode_t>{0600}));
  EXPECT_EQ(names_seen, (std::set<std::string>{"out.txt"}));
  EXPECT_EQ(ModeOf(folder.File("out.txt")), 0600u);
}

// A stop between the two renames of a pair would leave a new file beside an
// old one: a signal that comes then, even one that ends the program at once,
// takes effect after the second rename.
TEST(ReplaceFilesTogetherDeathTest, ASignalBetweenTheRenamesEndsTheProgramOnlyAfterTheLast) {
  GTEST_FLAG_SET(death_test_style, "fast");  // the child must see this test's folder
  TempFolder folder;
  WriteWholeFile(folder.File("walk_TRK.txt"), "old tracks");
  WriteWholeFile(folder.File("walk_WPT.txt"), "old waypoints");
  const auto replace_pair = [&] {
    RealFileSystem real;
    FaultyFileSystem files(real);
    files.BeforeEachCall([](FsCall call, const std::string&) {
      if (call == FsCall::Rename) kill(getpid(), SIGTERM);
    });
    signal(SIGTERM, SIG_DFL);
    std::string tracks = "new tracks", waypoints = "new waypoints";
    ReplaceFilesTogether(files, {{folder.File("walk_TRK.txt"), {tracks}}, {folder.File("walk_WPT.txt"), {waypoints}}});
    _exit(0);
  };
  EXPECT_EXIT(replace_pair(), ::testing::KilledBySignal(SIGTERM), "");
  EXPECT_EQ(ReadWholeFile(folder.File("walk_TRK.txt")), "new tracks");
  EXPECT_EQ(ReadWholeFile(folder.File("walk_WPT.txt")), "new waypoints");
  EXPECT_EQ(EntriesIn(folder.path()), 2);
}
#endif

// A power cut must find the old file or the whole new one: the data reaches
// the disk before the rename, the folder's new entry after it. Run on POSIX
// and under Wine, the real calls beneath must succeed too.
TEST(ReplaceFileWith, FlushesTheDataBeforeTheRenameAndTheFolderAfter) {
  TempFolder folder;
  RealFileSystem real;
  FaultyFileSystem files(real);
  WriteWholeFile(folder.File("out.txt"), "old");
  ASSERT_TRUE(ReplaceFileWith(files, folder.File("out.txt"), "new"));
  const std::vector<FsCall> expected{FsCall::CreateTemporary, FsCall::Write, FsCall::SyncOutput,
                                     FsCall::CloseOutput,     FsCall::Rename, FsCall::SyncFolder};
  EXPECT_EQ(files.Log(), expected);
  EXPECT_EQ(ReadWholeFile(folder.File("out.txt")), "new");
}

TEST(ReplaceFileWith, AnyFailingStepLeavesTheOldFileAndNoTemporaryFile) {
  for (FsCall call : {FsCall::CreateTemporary, FsCall::Write, FsCall::SyncOutput, FsCall::CloseOutput,
                      FsCall::Rename}) {
    SCOPED_TRACE(FsCallName(call));
    TempFolder folder;
    RealFileSystem real;
    FaultyFileSystem files(real);
    WriteWholeFile(folder.File("out.txt"), "old complete file");
    files.Fail(call);
    EXPECT_FALSE(ReplaceFileWith(files, folder.File("out.txt"), "new content that fails"));
    EXPECT_EQ(ReadWholeFile(folder.File("out.txt")), "old complete file");
    EXPECT_EQ(EntriesIn(folder.path()), 1);
  }
}

TEST(ReplaceFileWith, AFailureWithoutAnOldFileLeavesNothing) {
  TempFolder folder;
  RealFileSystem real;
  FaultyFileSystem files(real);
  files.Fail(FsCall::Write);
  EXPECT_FALSE(ReplaceFileWith(files, folder.File("out.txt"), "data"));
  EXPECT_EQ(EntriesIn(folder.path()), 0);
}

TEST(ReplaceFileWith, FailsInAMissingFolder) {
  TempFolder folder;
  RealFileSystem files;
  EXPECT_FALSE(ReplaceFileWith(files, folder.File("no/such/out.txt"), "data"));
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

// Temporary files that killed runs left beside an output go with the next
// run of it; a live run's (locked), a fresh one, another user's and names
// that only look like ours stay.
TEST(ReplaceFileWith, RemovesTheTemporaryFilesOfKilledRunsAndOnlyThose) {
  TempFolder folder;
  RealFileSystem files;
  const auto an_hour_ago = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  const std::vector<std::string> old_names = {".~a1b2c3d4.tmp", ".~held0000.tmp", ".~other000.tmp", ".~ABCDEFGH.tmp",
                                              ".~a1b2c3.tmp", "x~a1b2c3d4.tmp"};
  for (const std::string& name : old_names) {
    WriteWholeFile(folder.File(name), "unfinished");
    std::filesystem::last_write_time(folder.File(name), an_hour_ago);
  }
  WriteWholeFile(folder.File(".~fresh000.tmp"), "being renamed");
  std::set<std::string> kept = {"out.txt", ".~ABCDEFGH.tmp", ".~a1b2c3.tmp", "x~a1b2c3d4.tmp", ".~fresh000.tmp"};
#ifndef _WIN32  // another owner, and a live run's lock
  ASSERT_EQ(chown(folder.File(".~other000.tmp").c_str(), 4242, 4242), 0);
  kept.insert(".~other000.tmp");
  const int held = open(folder.File(".~held0000.tmp").c_str(), O_RDONLY);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  kept.insert(".~held0000.tmp");
#endif
  ASSERT_TRUE(ReplaceFileWith(files, folder.File("out.txt"), "new"));
#ifndef _WIN32
  close(held);
#endif
  std::set<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) left.insert(entry.path().filename().string());
  EXPECT_EQ(left, kept);
}

// A name as long as a folder allows is still an output's name: the file
// written before the rename has a short name of its own, not a longer one.
TEST(ReplaceFileWith, WritesFilesWhoseNamesAreAsLongAsAllowed) {
  testing::TempFolder folder;
  RealFileSystem files;
  std::string cjk;
  for (int i = 0; i < 80; ++i) cjk += "\xE8\x88\xAA";  // 80 characters, 240 bytes
  const std::vector<std::string> names = {std::string(255, 'a'), cjk + "_TRK.txt", cjk + ".asc"};
  for (const std::string& name : names) {
    ASSERT_TRUE(ReplaceFileWith(files, folder.File(name), "x")) << name.size() << " bytes";
    EXPECT_EQ(testing::ReadWholeFile(folder.File(name)), "x");
  }
  EXPECT_EQ(static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder.path()),
                                                   std::filesystem::directory_iterator())),
            names.size())
      << "a temporary file was left";
}

}  // namespace
}  // namespace tessaline
