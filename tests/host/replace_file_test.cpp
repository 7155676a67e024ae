#include "host/replace_file.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>

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

TEST(ReplaceFileWith, ReplacesTheTargetOfASymbolicLinkAndKeepsTheLink) {
  TempFolder folder;
  RealFileSystem files;
  std::filesystem::create_directory(folder.File("real"));
  WriteWholeFile(folder.File("real/out.txt"), "old");
  std::filesystem::create_symlink("real/out.txt", folder.File("link.txt"));
  ASSERT_TRUE(ReplaceFileWith(files, folder.File("link.txt"), "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.txt")));
  EXPECT_EQ(ReadWholeFile(folder.File("real/out.txt")), "new");
  EXPECT_EQ(EntriesIn(folder.File("real")), 1);
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
