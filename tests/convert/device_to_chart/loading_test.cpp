// The entry check and step 1: every line of the device file into the store.

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "converter_fixture.h"
#include "convert/device_to_chart/staging_location.h"

namespace tessaline::testing {
namespace {

std::string Record(const std::vector<std::string>& fields) {
  static const std::size_t kWidths[] = {20, 20, 10, 50, 10};
  std::string record;
  for (std::size_t i = 0; i < 5; ++i) record += fields[i] + std::string(kWidths[i] - fields[i].size(), ' ');
  return record;
}
const std::string kEndRecord = Record({"0", "0", "0", "0", "0"});

class LoadingTest : public DeviceToChartTest {
 protected:
  // Step 1 runs, then the track file cannot be made: the shared store stays.
  ConversionOutcome StageOnly(const std::string& content) {
    files.Fail(FsCall::CreateTemporary);
    return Convert(content);
  }
  void ExpectFailedInStepOne(ConversionOutcome outcome, const std::string& why) {
    EXPECT_EQ(outcome, ConversionOutcome::Failed) << why;
    const Events& events = host.Events();
    ASSERT_FALSE(events.empty()) << why;
    EXPECT_EQ(events.front(), "status:Etape N°1: Mise en mémoire") << why;
    EXPECT_EQ(events.back(), kErrorEvent) << why;
    EXPECT_EQ(std::count(events.begin(), events.end(), "step:1"), 0) << why;
    EXPECT_FALSE(FileExists(Data("in_TRK.txt"))) << why;
    host.ClearEvents();
  }
};

TEST_F(LoadingTest, OnlyNamesEndingInZbxInAnyCaseAreTaken) {
  // Device media store upper-case names.
  for (const char* name : {"a.zbx", "a_zbx", "zbx", "TRACE.ZBX", "a.Zbx"}) {
    EXPECT_EQ(Convert(DeviceLines({"1"}), name), ConversionOutcome::Completed) << name;
  }
  EXPECT_TRUE(host.Messages().empty());
  host.ClearEvents();
  for (const char* name : {"a.txt", "zb", "a.zbx.txt"}) {
    EXPECT_EQ(Convert(DeviceLines({"1"}), name), ConversionOutcome::Refused) << name;
  }
  EXPECT_EQ(host.Events(), Events(3, kRefusedEvent));  // and nothing on the panel
}

TEST_F(LoadingTest, ARefusalClearsAStoreLeftBehindUnlessItIsInUse) {
  WriteWholeFile(store_path(), kEndRecord);
  {
    LockResult other = real.TryLock(lock_path());  // another copy of the program
    ASSERT_EQ(other.state, LockState::Acquired);
    EXPECT_EQ(ConvertPath(Data("x.txt")), ConversionOutcome::Refused);
    EXPECT_TRUE(FileExists(store_path()));
  }
  EXPECT_EQ(ConvertPath(Data("x.txt")), ConversionOutcome::Refused);
  EXPECT_FALSE(FileExists(store_path()));
}

TEST_F(LoadingTest, StagesEveryLineByteForByteOverAnOldLongerStore) {
  const std::string old_records(7 * 110, 'o');
  WriteWholeFile(store_path(), old_records);
  EXPECT_EQ(StageOnly("1.5,2.5,12,\"A\",3\r\n"
                      "10,20,30,\"four fields\"\r"  // lone CR; no Group
                      "123456789012345678901234,-1,12345678901,\"\",77,x\r\n"
                      "5,6,7,\"" + std::string(55, 'n') + "\",12345678901234"),  // no line end
            ConversionOutcome::Failed);
  EXPECT_EQ(ReadWholeFile(store_path()),
            Record({"2.5", "1.5", "12", "A", "3"}) + Record({"20", "10", "30", "four fields", ""}) +
                Record({"-1", "12345678901234567890", "1234567890", "", "77"}) +
                Record({"6", "5", "7", std::string(50, 'n'), "1234567890"}) + kEndRecord +
                old_records.substr(5 * 110));
  // The next good run deletes it.
  files.Clear();
  EXPECT_EQ(Convert(DeviceLines({"1"})), ConversionOutcome::Completed);
  EXPECT_FALSE(FileExists(store_path()));
  EXPECT_TRUE(FileExists(lock_path()));  // never deleted
}

TEST_F(LoadingTest, PanelOfStepOneCountsBytesWithTheirLineEnds) {
  // 13 bytes a line with its CR LF.
  Convert("1,2,3,\"a\",1\r\n1,2,3,\"b\",1\r\n1,2,3,\"c\",1\r\n");
  EXPECT_EQ(Events(host.Events().begin(), host.Events().begin() + 6),
            (Events{"status:Etape N°1: Mise en mémoire", "main:33%", "main:66%", "main:100%",
                    "step:1", "status:Etape N°2: Recherche WPT <-> TRK"}));
}

TEST_F(LoadingTest, FailuresOfStepOne) {
  ExpectFailedInStepOne(ConvertPath(Data("missing.zbx")), "missing");
  std::filesystem::create_directory(Data("folder.zbx"));
  ExpectFailedInStepOne(ConvertPath(Data("folder.zbx")), "a directory");
#ifndef _WIN32
  ASSERT_EQ(mkfifo(Data("pipe.zbx").c_str(), 0666), 0);
  ExpectFailedInStepOne(ConvertPath(Data("pipe.zbx")), "a FIFO, which would block");
#endif
  EXPECT_EQ(files.Count(FsCall::OpenRead), 0);

  for (const char* content : {"1,2,3,\"a\",1\r\n\r\n1,2,3,\"b\",1\r\n", "1,2,3,\"a\",1\r\n\r\n",
                              "1,2,\"a\"\r\n", "1,2,3,a,1\r\n",
                              // coordinates that read no number, also where the digits lie past the slot
                              "1,x,3,\"a\",1\r\n", "1,                     2,3,\"a\",1\r\n"}) {
    ExpectFailedInStepOne(Convert(content), content);
  }
  const std::string good = DeviceLines({"1", "1", "2"});

  for (FsCall call : {FsCall::Length, FsCall::OpenRead, FsCall::Read, FsCall::OpenRecords,
                      FsCall::WriteAt, FsCall::CloseRecords}) {
    files.Clear();
    files.Fail(call, 1);
    ExpectFailedInStepOne(Convert(good), FsCallName(call));
  }
  files.Clear();
  files.Fail(FsCall::IsWritableFolder);
  files.Fail(FsCall::CreateFolders);
  ExpectFailedInStepOne(Convert(good), "no folder for the store");
}

TEST_F(LoadingTest, AtMost32766LinesAndNoFileSystemCallPerLine) {
  std::string lines;
  for (int i = 0; i < 32766; ++i) lines += "47.5,-4.25,1.5,\"p\"," + std::to_string(i / 3) + "\r\n";
  EXPECT_EQ(Convert(lines), ConversionOutcome::Completed);
  EXPECT_EQ(list1.size(), 10922u);
  EXPECT_LE(files.Count(FsCall::Read), 10);
  EXPECT_LE(files.Count(FsCall::WriteAt), 40);
  EXPECT_LE(files.Count(FsCall::ReadAt), 120);  // three steps, each through its own buffer
  std::remove(Data("in_TRK.txt").c_str());
  host.ClearEvents();
  // One line more leaves no number for the end record.
  ExpectFailedInStepOne(Convert(lines + "1,2,3,\"a\",1\r\n"), "32767 lines");
}

TEST_F(LoadingTest, AStopRequestEndsTheRunAtOnceAndRemovesTheStore) {
  WriteWholeFile(Data("in_TRK.txt"), "old");
  host.StopAtYield(2);
  EXPECT_EQ(Convert(DeviceLines({"1", "1", "2"})), ConversionOutcome::Stopped);
  EXPECT_EQ(host.Events().back(), "main:66%");  // no message
  EXPECT_FALSE(FileExists(store_path()));
  EXPECT_EQ(Tracks(), "old");
}

TEST_F(LoadingTest, TheStoreGoesToTheCacheFolderWhenInstalledOrWhenTheProgramFolderIsReadOnly) {
  EXPECT_EQ(ChooseStagingFolder(files, location), program_folder());
#ifdef TESSALINE_INSTALLED_LAYOUT
  EXPECT_TRUE(DefaultStagingLocation().installed);
#else
  EXPECT_FALSE(DefaultStagingLocation().installed);
#endif
  location.installed = true;
  EXPECT_EQ(StageOnly(DeviceLines({"1"})), ConversionOutcome::Failed);
  EXPECT_TRUE(FileExists(cache_folder() + "/ZRB_DB.dat"));  // its folder made on the way
  EXPECT_TRUE(Listing(program_folder(), "ZRB_DB").empty());
  files.Clear();
  EXPECT_EQ(ConvertPath(Data("x.txt")), ConversionOutcome::Refused);  // found and cleared there
  EXPECT_FALSE(FileExists(cache_folder() + "/ZRB_DB.dat"));

  location.installed = false;
  files.Fail(FsCall::IsWritableFolder, 0, "program");
  EXPECT_EQ(ChooseStagingFolder(files, location), cache_folder());
  EXPECT_EQ(Convert(DeviceLines({"1"})), ConversionOutcome::Completed);
  EXPECT_TRUE(Listing(program_folder(), "ZRB_DB").empty());
  location.cache_folder = "";
  EXPECT_EQ(ChooseStagingFolder(files, location), "");
}

TEST_F(LoadingTest, WithTheLockHeldElsewhereAPrivateStoreIsUsedAndAlwaysRemoved) {
  const std::string other_store = Record({"x", "x", "x", "x", "x"});
  WriteWholeFile(store_path(), other_store);
  LockResult other = real.TryLock(lock_path());
  ASSERT_EQ(other.state, LockState::Acquired);
  files.Fail(FsCall::CreateRecordsExclusive, 1);  // as if the first name were taken
  EXPECT_EQ(Convert(DeviceLines({"1", "1", "2"})), ConversionOutcome::Completed);
  EXPECT_EQ(files.Count(FsCall::CreateRecordsExclusive), 2);
  EXPECT_EQ(Occurrences(Tracks(), "P;"), 2);
  files.Fail(FsCall::CreateTemporary);
  EXPECT_EQ(Convert(DeviceLines({"1"})), ConversionOutcome::Failed);
  EXPECT_EQ(ReadWholeFile(store_path()), other_store);
  EXPECT_EQ(Listing(program_folder(), "ZRB_DB"), (Events{"ZRB_DB.dat", "ZRB_DB.lock"}));
}

}  // namespace
}  // namespace tessaline::testing
