#include "host/real_file_system.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>

#include "support/temp_folder.h"

namespace tessaline {
namespace {

using testing::TempFolder;
using testing::WriteWholeFile;

std::string ReadAll(InputStream& in) {
  std::string text;
  char buffer[7];
  for (;;) {
    const auto n = in.Read(buffer, sizeof buffer);
    if (n <= 0) return text;
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

TEST(RealFileSystem, TellsFileTypesAndLengths) {
  TempFolder folder;
  RealFileSystem files;
  WriteWholeFile(folder.File("a.zbx"), "12345");
  EXPECT_EQ(files.TypeOf(folder.File("a.zbx")), FileType::Regular);
  EXPECT_EQ(files.TypeOf(folder.path()), FileType::Directory);
#ifdef _WIN32
  EXPECT_EQ(files.TypeOf("NUL"), FileType::Other);  // a device, not a file
#else
  ASSERT_EQ(mkfifo(folder.File("fifo").c_str(), 0600), 0);
  EXPECT_EQ(files.TypeOf(folder.File("fifo")), FileType::Other);
#endif
  EXPECT_EQ(files.TypeOf(folder.File("missing")), FileType::Missing);
  EXPECT_EQ(files.TypeOf(folder.File("a.zbx/below")), FileType::Missing);
  EXPECT_EQ(*files.Length(folder.File("a.zbx")), 5u);
  EXPECT_EQ(files.Length(folder.path()).fault().error, FileError::IsDirectory);
  EXPECT_EQ(files.TypeOf(folder.File("missing")).why.error, FileError::NotFound);
  EXPECT_TRUE(files.Exists(folder.File("a.zbx")));
}

TEST(RealFileSystem, OpensOnlyRegularFilesForReadingAndNeverBlocksOnAFifo) {
  TempFolder folder;
  RealFileSystem files;
  WriteWholeFile(folder.File("é.txt"), "line\r\n");
  auto in = files.OpenRead(folder.File("é.txt"));
  ASSERT_TRUE(in);
  EXPECT_EQ(ReadAll(**in), "line\r\n");
#ifdef _WIN32
  EXPECT_FALSE(files.OpenRead("NUL"));
#else
  ASSERT_EQ(mkfifo(folder.File("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(files.OpenRead(folder.File("fifo")));  // would block without a writer
#endif
  EXPECT_FALSE(files.OpenRead(folder.path()));
  EXPECT_FALSE(files.OpenRead(folder.File("missing")));
}

TEST(RealFileSystem, IdentityTellsTheSameFileUnderTwoNames) {
  TempFolder folder;
  RealFileSystem files;
  WriteWholeFile(folder.File("a.asc"), "x");
  WriteWholeFile(folder.File("b.asc"), "x");
  std::filesystem::create_hard_link(folder.File("a.asc"), folder.File("hard.asc"));
  EXPECT_EQ(*files.Identity(folder.File("a.asc")), *files.Identity(folder.File("hard.asc")));
  EXPECT_EQ(*files.Identity(folder.File("a.asc")), *files.Identity(folder.path() + "/./a.asc"));
  EXPECT_NE(*files.Identity(folder.File("a.asc")), *files.Identity(folder.File("b.asc")));
  EXPECT_FALSE(files.Identity(folder.File("missing")));
}

TEST(RealFileSystem, RecordFilesKeepTheirContentAndExclusiveCreationRefusesExistingNames) {
  TempFolder folder;
  RealFileSystem files;
  {
    auto store = files.OpenRecords(folder.File("store.dat"));
    ASSERT_TRUE(store);
    EXPECT_TRUE((*store)->WriteAt(0, "abcdef", 6));
    EXPECT_TRUE((*store)->Close());
  }
  auto opened = files.OpenRecords(folder.File("store.dat"));
  ASSERT_TRUE(opened);
  RandomAccessFile& store = **opened;
  EXPECT_TRUE(store.WriteAt(2, "XY", 2));
  char buffer[10] = {};
  EXPECT_EQ(store.ReadAt(0, buffer, sizeof buffer), 6);
  EXPECT_EQ(std::string(buffer, 6), "abXYef");
  EXPECT_EQ(store.ReadAt(100, buffer, 4), 0);
  EXPECT_TRUE(store.Close());
  EXPECT_EQ(files.CreateRecordsExclusive(folder.File("store.dat")).fault().error, FileError::Exists);
  EXPECT_TRUE(files.CreateRecordsExclusive(folder.File("private.dat")));
}

TEST(RealFileSystem, ALockIsExclusiveUntilItsHolderLetsGo) {
  TempFolder folder;
  RealFileSystem files;
  auto first = files.TryLock(folder.File("ZRB_DB.lock"));
  ASSERT_EQ(first.state, LockState::Acquired);
  EXPECT_EQ(files.TryLock(folder.File("ZRB_DB.lock")).state, LockState::HeldElsewhere);
  first.lock.reset();
  EXPECT_EQ(files.TryLock(folder.File("ZRB_DB.lock")).state, LockState::Acquired);
  EXPECT_TRUE(files.Exists(folder.File("ZRB_DB.lock")));  // the lock file stays
  EXPECT_EQ(files.TryLock(folder.File("no/such/ZRB_DB.lock")).state, LockState::Failed);
}

TEST(RealFileSystem, FoldersAreCreatedAndChecked) {
  TempFolder folder;
  RealFileSystem files;
  EXPECT_TRUE(files.IsWritableFolder(folder.path()));
  EXPECT_FALSE(files.IsWritableFolder(folder.File("missing")));
  EXPECT_TRUE(files.CreateFolders(folder.File("a/b/c")));
  EXPECT_TRUE(files.IsWritableFolder(folder.File("a/b/c")));
  WriteWholeFile(folder.File("file"), "x");
  EXPECT_FALSE(files.CreateFolders(folder.File("file/below")));
}

}  // namespace
}  // namespace tessaline
