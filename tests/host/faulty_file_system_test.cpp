#include "support/faulty_file_system.h"

#include <gtest/gtest.h>

#include "host/real_file_system.h"
#include "support/temp_folder.h"

namespace tessaline {
namespace {

using testing::TempFolder;
using testing::WriteWholeFile;

TEST(FaultyFileSystem, FailsOnlyTheChosenCallOfTheChosenPath) {
  TempFolder folder;
  RealFileSystem real;
  FaultyFileSystem files(real);
  WriteWholeFile(folder.File("a.txt"), "a");
  WriteWholeFile(folder.File("b.txt"), "b");
  files.Fail(FsCall::OpenRead, 2, "b.txt");
  EXPECT_TRUE(files.OpenRead(folder.File("a.txt")));
  EXPECT_TRUE(files.OpenRead(folder.File("b.txt")));
  // The injected fault comes back with the call.
  const auto failed = files.OpenRead(folder.File("b.txt"));
  EXPECT_FALSE(failed);
  EXPECT_EQ(failed.fault(), (FileFault{FileError::Io, 0}));
  EXPECT_TRUE(files.OpenRead(folder.File("b.txt")));
  EXPECT_EQ(files.Count(FsCall::OpenRead), 4);
  EXPECT_EQ(files.FailuresInjected(), 1);
}

TEST(FaultyFileSystem, FailsReadsAndWritesThroughTheFilesItOpened) {
  TempFolder folder;
  RealFileSystem real;
  FaultyFileSystem files(real);
  WriteWholeFile(folder.File("a.txt"), "abc");
  files.Fail(FsCall::Read);
  auto in = files.OpenRead(folder.File("a.txt"));
  ASSERT_TRUE(in);
  char buffer[4];
  EXPECT_EQ((*in)->Read(buffer, 4), -1);

  files.Fail(FsCall::WriteAt);
  auto store = files.OpenRecords(folder.File("s.dat"));
  ASSERT_TRUE(store);
  EXPECT_FALSE((*store)->WriteAt(0, "x", 1));
  files.Clear();
  EXPECT_TRUE((*store)->WriteAt(0, "x", 1));
}

TEST(FaultyFileSystem, ALockCanBeHeldElsewhereOrFail) {
  TempFolder folder;
  RealFileSystem real;
  FaultyFileSystem files(real);
  files.Fail(FsCall::TryLock);
  EXPECT_EQ(files.TryLock(folder.File("l")).state, LockState::Failed);
  files.SetLockHeldElsewhere(true);
  EXPECT_EQ(files.TryLock(folder.File("l")).state, LockState::HeldElsewhere);
  files.Clear();
  EXPECT_EQ(files.TryLock(folder.File("l")).state, LockState::Acquired);
}

}  // namespace
}  // namespace tessaline
