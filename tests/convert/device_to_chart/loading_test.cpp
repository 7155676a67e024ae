// The entry check and step 1: staging every line of the device file.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "converter_fixture.h"
#include "convert/device_to_chart/staging_location.h"

namespace tessaline::testing {
namespace {

using Events = std::vector<std::string>;

std::string Padded(const std::string& text, std::size_t width) {
  return text + std::string(width - text.size(), ' ');
}

std::string Record(const std::string& coord2, const std::string& coord1, const std::string& value,
                   const std::string& name, const std::string& group) {
  return Padded(coord2, 20) + Padded(coord1, 20) + Padded(value, 10) + Padded(name, 50) +
         Padded(group, 10);
}

const std::string kEndRecord = Record("0", "0", "0", "0", "0");

class LoadingTest : public DeviceToChartTest {
 protected:
  // Lets step 1 finish, then makes the track file fail so that the shared
  // store stays in place to be looked at.
  ConversionOutcome StageOnly(const std::string& content) {
    files.Fail(FsCall::CreateTemporary);
    return Convert("in.zbx", content);
  }
};

TEST_F(LoadingTest, NamesEndingInLowerCaseZbxAreAccepted) {
  for (const char* name : {"track.zbx", "track_zbx", "zbx"}) {
    host.ClearEvents();
    EXPECT_EQ(Convert(name, "1,2,3,\"a\",1\r\n"), ConversionOutcome::Completed) << name;
    EXPECT_TRUE(host.Messages().empty()) << name;
  }
}

TEST_F(LoadingTest, OtherNamesAreRefusedWithoutTouchingThePanel) {
  for (const char* name : {"track.ZBX", "track.txt", "zb", "track.zbx.txt", "track.Zbx"}) {
    host.ClearEvents();
    EXPECT_EQ(Convert(name, "1,2,3,\"a\",1\r\n"), ConversionOutcome::Refused) << name;
    EXPECT_EQ(host.Events(), Events{kRefusedEvent}) << name;
  }
  EXPECT_EQ(ConvertPath(""), ConversionOutcome::Refused);
  EXPECT_EQ(host.main_percentage, "Prêt");
  EXPECT_FALSE(host.step_finished[0]);
  EXPECT_FALSE(FileExists(Data("track_TRK.txt")));
}

TEST_F(LoadingTest, RefusalClearsAStoreLeftBehindUnlessItIsInUse) {
  WriteWholeFile(store_path(), kEndRecord);
  {
    LockResult other = real.TryLock(lock_path());  // another copy of the program
    ASSERT_EQ(other.state, LockState::Acquired);
    EXPECT_EQ(ConvertPath(Data("x.txt")), ConversionOutcome::Refused);
    EXPECT_TRUE(FileExists(store_path()));
  }
  EXPECT_EQ(ConvertPath(Data("x.txt")), ConversionOutcome::Refused);
  EXPECT_FALSE(FileExists(store_path()));
  EXPECT_EQ(host.Messages(), (Events{kRefusedEvent, kRefusedEvent}));
  // A failed deletion is no failure of the refusal.
  WriteWholeFile(store_path(), kEndRecord);
  files.Fail(FsCall::Remove);
  host.ClearEvents();
  EXPECT_EQ(ConvertPath(Data("x.txt")), ConversionOutcome::Refused);
  EXPECT_EQ(host.Events(), Events{kRefusedEvent});
}

TEST_F(LoadingTest, StagesEveryLineByteForByte) {
  const std::string content =
      "1.5,2.5,12,\"A\",3\r\n"                             // five fields
      "10,20,30,\"four fields\"\r"                          // lone CR, no Group
      "123456789012345678901234,-1,12345678901,\"\",77,x\r\n"  // cut fields, empty name, sixth
      "5,6,7,\"" + std::string(55, 'n') + "\",12345678901234";  // last line without an end
  EXPECT_EQ(StageOnly(content), ConversionOutcome::Failed);
  EXPECT_EQ(ReadWholeFile(store_path()),
            Record("2.5", "1.5", "12", "A", "3") + Record("20", "10", "30", "four fields", "") +
                Record("-1", "12345678901234567890", "1234567890", "", "77") +
                Record("6", "5", "7", std::string(50, 'n'), "1234567890") + kEndRecord);
}

TEST_F(LoadingTest, AnEmptyFileStagesOnlyTheEndRecord) {
  EXPECT_EQ(StageOnly(""), ConversionOutcome::Failed);
  EXPECT_EQ(ReadWholeFile(store_path()), kEndRecord);
}

TEST_F(LoadingTest, AnOldLongerStoreIsOverwrittenFromRecordOneNotEmptied) {
  const std::string old_records(5 * 110, 'o');
  WriteWholeFile(store_path(), old_records);
  EXPECT_EQ(StageOnly("1,2,3,\"a\",4\r\n"), ConversionOutcome::Failed);
  EXPECT_EQ(ReadWholeFile(store_path()),
            Record("2", "1", "3", "a", "4") + kEndRecord + old_records.substr(220));
  // The next successful run deletes it.
  files.Clear();
  EXPECT_EQ(Convert("in.zbx", "1,2,3,\"a\",4\r\n"), ConversionOutcome::Completed);
  EXPECT_FALSE(FileExists(store_path()));
  EXPECT_TRUE(FileExists(lock_path()));  // the lock file is never deleted
}

TEST_F(LoadingTest, PanelSequenceOfStepOneOnAThreeLineFile) {
  // 13 bytes a line with its CR LF: the percentage counts the line ends.
  Convert("three.zbx", "1,2,3,\"a\",1\r\n1,2,3,\"b\",1\r\n1,2,3,\"c\",1\r\n");
  const Events& events = host.Events();
  ASSERT_GE(events.size(), 6u);
  EXPECT_EQ(Events(events.begin(), events.begin() + 6),
            (Events{"status:Etape N°1: Mise en mémoire", "main:33%", "main:66%", "main:100%",
                    "step:1", "status:Etape N°2: Recherche WPT <-> TRK"}));
}

TEST_F(LoadingTest, PercentageOfStepOneFollowsTheBytesRead) {
  // Lines of 20, 10 and 170 bytes with their ends (CR LF, CR, none).
  const std::string content = "11,2,3,\"aaaaaaa\",1\r\n" "1,2,3,\"a\"\r" "1,2,3,\"" +
                              std::string(162, 'n') + "\"";
  ASSERT_EQ(content.size(), 200u);
  Convert("in.zbx", content);
  const Events main = host.EventsOf("main:");
  EXPECT_EQ(Events(main.begin(), main.begin() + 3), (Events{"10%", "15%", "100%"}));
}

TEST_F(LoadingTest, OneYieldPerLineAndPerRecord) {
  host.StopAtYield(0);
  Convert("in.zbx", DeviceLines({"1", "1", "2"}));
  // Step 1: 3 lines; step 2: 4 records; step 3: 3 (track and the record
  // after it); step 4: 2 (waypoint and the end record).
  EXPECT_EQ(host.yields(), 3 + 4 + 3 + 2);
}

class StepOneFailure : public LoadingTest {
 protected:
  void ExpectFailureAfterStepText(const std::string& content, const char* why) {
    host.ClearEvents();
    EXPECT_EQ(Convert("in.zbx", content), ConversionOutcome::Failed) << why;
    ExpectFailed(why);
  }
  void ExpectFailed(const char* why) {
    const Events& events = host.Events();
    ASSERT_FALSE(events.empty()) << why;
    EXPECT_EQ(events.front(), "status:Etape N°1: Mise en mémoire") << why;
    EXPECT_EQ(events.back(), kErrorEvent) << why;
    EXPECT_EQ(host.Messages().size(), 1u) << why;
    EXPECT_EQ(std::count(events.begin(), events.end(), "step:1"), 0) << why;
    EXPECT_FALSE(FileExists(Data("in_TRK.txt"))) << why;
    EXPECT_FALSE(FileExists(Data("in_WPT.txt"))) << why;
  }
};

TEST_F(StepOneFailure, LinesBreakingTheLayout) {
  ExpectFailureAfterStepText("1,2,3,\"a\",1\r\n\r\n1,2,3,\"b\",1\r\n", "empty line inside");
  ExpectFailureAfterStepText("1,2,3,\"a\",1\r\n\r\n", "two CR LF at the end");
  ExpectFailureAfterStepText("\r\n", "a lone empty line");
  ExpectFailureAfterStepText("1,2,\"a\"\r\n", "three fields");
  ExpectFailureAfterStepText("1,2,3,a,1\r\n", "a one-character fourth field");
  // The failing line was counted and shown before it was found wrong.
  ExpectFailureAfterStepText("1,2,3,\"a\",1\r\n1,2\r\n", "second line too short");
  EXPECT_EQ(host.EventsOf("main:"), (Events{"72%", "100%"}));
}

TEST_F(StepOneFailure, InputThatIsMissingOrNotARegularFile) {
  host.ClearEvents();
  EXPECT_EQ(ConvertPath(Data("missing.zbx")), ConversionOutcome::Failed);
  ExpectFailed("missing");

  mkdir(Data("folder.zbx").c_str(), 0777);
  host.ClearEvents();
  EXPECT_EQ(ConvertPath(Data("folder.zbx")), ConversionOutcome::Failed);
  ExpectFailed("directory");

  // A FIFO would block a reader that opened it: refused before any open.
  ASSERT_EQ(mkfifo(Data("pipe.zbx").c_str(), 0666), 0);
  host.ClearEvents();
  EXPECT_EQ(ConvertPath(Data("pipe.zbx")), ConversionOutcome::Failed);
  ExpectFailed("fifo");
  EXPECT_EQ(files.Count(FsCall::OpenRead), 0);
}

TEST_F(StepOneFailure, FileSystemFailures) {
  const std::string content = DeviceLines({"1", "1", "2"});
  const struct {
    FsCall call;
    const char* path_part;
  } cases[] = {
      {FsCall::Length, "in.zbx"},       {FsCall::OpenRead, "in.zbx"},
      {FsCall::Read, "in.zbx"},         {FsCall::OpenRecords, "ZRB_DB.dat"},
      {FsCall::WriteAt, "ZRB_DB.dat"},  {FsCall::CloseRecords, "ZRB_DB.dat"},
  };
  for (const auto& c : cases) {
    files.Clear();
    files.Fail(c.call, 1, c.path_part);
    ExpectFailureAfterStepText(content, FsCallName(c.call));
  }
}

TEST_F(StepOneFailure, AtMost32766Lines) {
  std::string lines;
  for (int i = 0; i < 32766; ++i) lines += "1,2,3,\"a\",1\r\n";
  EXPECT_EQ(Convert("in.zbx", lines), ConversionOutcome::Completed);
  ASSERT_EQ(list1.size(), 1u);
  EXPECT_EQ(list1[0].first_record, 1);
  std::remove(Data("in_TRK.txt").c_str());
  std::remove(Data("in_WPT.txt").c_str());
  ExpectFailureAfterStepText(lines + "1,2,3,\"a\",1\r\n", "32767 lines: no number for the end record");
}

TEST_F(LoadingTest, StepOneMakesNoFileSystemCallPerLine) {
  std::string lines;
  for (int i = 0; i < 5000; ++i) lines += "47.5,-4.25,1.5,\"point\"," + std::to_string(i / 3) + "\r\n";
  EXPECT_EQ(Convert("in.zbx", lines), ConversionOutcome::Completed);
  EXPECT_LE(files.Count(FsCall::Read), 5);
  EXPECT_LE(files.Count(FsCall::WriteAt), 10);
  // Three later steps, each reading the store through its own buffer.
  EXPECT_LE(files.Count(FsCall::ReadAt), 40);
  EXPECT_EQ(files.Count(FsCall::OpenRecords), 4);
}

TEST_F(LoadingTest, AStopRequestEndsTheRunAndRemovesTheStore) {
  WriteWholeFile(Data("in_TRK.txt"), "old");
  host.StopAtYield(2);
  EXPECT_EQ(Convert("in.zbx", DeviceLines({"1", "1", "2"})), ConversionOutcome::Stopped);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(host.Events().back(), "main:66%");
  EXPECT_FALSE(FileExists(store_path()));
  EXPECT_EQ(ReadWholeFile(Data("in_TRK.txt")), "old");
  EXPECT_FALSE(FileExists(Data("in_WPT.txt")));
}

// --- Where the store lies ---

TEST(StagingLocationRule, ProgramFolderUnlessInstalledOrNotWritable) {
  TempFolder temp;
  RealFileSystem real;
  FaultyFileSystem files(real);
  const std::string program = temp.File("program");
  const std::string cache = temp.File("cache") + "/deep/tessaline";
  mkdir(program.c_str(), 0777);

  EXPECT_EQ(ChooseStagingFolder(files, {program, cache, false}), program);
  EXPECT_FALSE(FileExists(cache));

  EXPECT_EQ(ChooseStagingFolder(files, {program, cache, true}), cache);
  EXPECT_TRUE(FileExists(cache));  // created with its parents

  files.Fail(FsCall::IsWritableFolder, 0, "program");
  EXPECT_EQ(ChooseStagingFolder(files, {program, cache, false}), cache);
  EXPECT_EQ(ChooseStagingFolder(files, {"", cache, false}), cache);

  files.Fail(FsCall::IsWritableFolder);  // nothing writable at all
  EXPECT_EQ(ChooseStagingFolder(files, {program, cache, false}), "");
  EXPECT_EQ(ChooseStagingFolder(files, {program, "", false}), "");
}

TEST(StagingLocationRule, TheInstalledLayoutComesFromTheBuildOption) {
#ifdef TESSALINE_INSTALLED_LAYOUT
  EXPECT_TRUE(DefaultStagingLocation().installed);
#else
  EXPECT_FALSE(DefaultStagingLocation().installed);
#endif
  EXPECT_FALSE(DefaultStagingLocation().program_folder.empty());
}

TEST_F(LoadingTest, InstalledLayoutStagesInTheCacheFolder) {
  location = Location(/*installed=*/true);
  EXPECT_EQ(StageOnly(DeviceLines({"1"})), ConversionOutcome::Failed);
  EXPECT_FALSE(FileExists(store_path()));
  EXPECT_TRUE(FileExists(cache_folder() + "/ZRB_DB.dat"));
  EXPECT_TRUE(FileExists(cache_folder() + "/ZRB_DB.lock"));
  // The next refusal finds and clears it there.
  files.Clear();
  EXPECT_EQ(ConvertPath(Data("x.txt")), ConversionOutcome::Refused);
  EXPECT_FALSE(FileExists(cache_folder() + "/ZRB_DB.dat"));
}

TEST_F(LoadingTest, UnwritableProgramFolderStagesInTheCacheFolder) {
  files.Fail(FsCall::IsWritableFolder, 0, "program");
  EXPECT_EQ(Convert("in.zbx", DeviceLines({"1", "1"})), ConversionOutcome::Completed);
  EXPECT_TRUE(FileExists(cache_folder() + "/ZRB_DB.lock"));
  EXPECT_TRUE(FilesStartingWith(program_folder(), "ZRB_DB").empty());
}

TEST_F(StepOneFailure, NoFolderForTheStore) {
  files.Fail(FsCall::IsWritableFolder);
  files.Fail(FsCall::CreateFolders);
  ExpectFailureAfterStepText(DeviceLines({"1"}), "no writable folder");
}

// --- Two copies of the program ---

TEST_F(LoadingTest, WithTheLockHeldElsewhereAPrivateStoreIsUsedAndRemoved) {
  const std::string other_store = Record("x", "x", "x", "x", "x");
  WriteWholeFile(store_path(), other_store);
  LockResult other = real.TryLock(lock_path());
  ASSERT_EQ(other.state, LockState::Acquired);

  EXPECT_EQ(Convert("in.zbx", DeviceLines({"1", "1", "2"})), ConversionOutcome::Completed);
  EXPECT_EQ(files.Count(FsCall::CreateRecordsExclusive), 1);
  EXPECT_EQ(ReadWholeFile(store_path()), other_store);
  EXPECT_EQ(FilesStartingWith(program_folder(), "ZRB_DB"),
            (std::vector<std::string>{"ZRB_DB.dat", "ZRB_DB.lock"}) ) << "no private store left";
  EXPECT_NE(ReadWholeFile(Data("in_TRK.txt")).find("T;P1;1;1"), std::string::npos);

  // After a failure too: nobody would ever reuse a private store.
  files.Fail(FsCall::CreateTemporary);
  EXPECT_EQ(Convert("in.zbx", DeviceLines({"1"})), ConversionOutcome::Failed);
  EXPECT_EQ(FilesStartingWith(program_folder(), "ZRB_DB").size(), 2u);
  EXPECT_EQ(ReadWholeFile(store_path()), other_store);
}

TEST_F(LoadingTest, APrivateStoreNeverTakesAnExistingFile) {
  files.Fail(FsCall::TryLock);
  files.SetLockHeldElsewhere(true);
  files.Fail(FsCall::CreateRecordsExclusive, 1);  // as if the first name were taken
  EXPECT_EQ(Convert("in.zbx", DeviceLines({"1"})), ConversionOutcome::Completed);
  EXPECT_EQ(files.Count(FsCall::CreateRecordsExclusive), 2);

  files.Fail(FsCall::CreateRecordsExclusive);  // no name can be created
  host.ClearEvents();
  EXPECT_EQ(Convert("in.zbx", DeviceLines({"1"})), ConversionOutcome::Failed);
  EXPECT_EQ(host.Messages(), Events{kErrorEvent});
}

}  // namespace
}  // namespace tessaline::testing
