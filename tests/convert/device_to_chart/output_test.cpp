// Steps 2 to 4: runs of equal Group, the track and waypoint files, the
// completion and the error handler.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "converter_fixture.h"

namespace tessaline::testing {
namespace {

using Events = std::vector<std::string>;

const std::string kWaypointTail = ";0;C8;WGS84;2;1;18;255;1;0;3;Arial,8,0,0,0,0;0;65535;16;0;0\r\n";

// The P line of point n of DeviceLines under French settings.
std::string PLine(int n, const std::string& stamp) {
  const std::string d = std::to_string(n);
  return "P;-4." + d + "00000000000000;47." + d + "00000000000000;" + d + ",50;-9999;" + stamp +
         "\r\n";
}

std::string WLine(int n) {
  const std::string d = std::to_string(n);
  const std::string c2 = "-4." + d + "00000000000000", c1 = "47." + d + "00000000000000";
  return "W;P" + d + ";;" + c2 + ";" + c1 + ";-9999;" + c1 + ";" + c2 + kWaypointTail;
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class OutputTest : public DeviceToChartTest {
 protected:
  ConversionOutcome ConvertGroups(const std::vector<std::string>& groups,
                                  RegionalSettings regional = RegionalSettings::French()) {
    return Convert("in.zbx", DeviceLines(groups), regional);
  }
  std::string Tracks() const { return ReadWholeFile(Data("in_TRK.txt")); }
  std::string Waypoints() const { return ReadWholeFile(Data("in_WPT.txt")); }
  void ExpectEntry(const RunEntry& entry, const std::string& text, int first, double value) {
    EXPECT_EQ(entry.text, text);
    EXPECT_EQ(entry.first_record, first);
    EXPECT_EQ(entry.group_value, value);
  }
};

TEST_F(OutputTest, TwoTracksAndOneWaypointByteForByte) {
  ASSERT_EQ(ConvertGroups({"7", "7", "7", "4", "9", "9"}), ConversionOutcome::Completed);
  EXPECT_EQ(Tracks(), "T;P1;1;1\r\n" + PLine(1, "07/03/2024 10:11:12") +
                          PLine(2, "07/03/2024 10:11:13") + PLine(3, "07/03/2024 10:11:14") +
                          "T;P5;1;1\r\n" + PLine(5, "07/03/2024 10:11:15") +
                          PLine(6, "07/03/2024 10:11:16"));
  EXPECT_EQ(Waypoints(), WLine(4));
  ASSERT_EQ(list1.size(), 2u);
  ExpectEntry(list1[0], "7", 1, 7);
  ExpectEntry(list1[1], "9", 5, 9);
  ASSERT_EQ(list2.size(), 1u);
  ExpectEntry(list2[0], "4", 4, 4);
  EXPECT_FALSE(FileExists(store_path()));
}

TEST_F(OutputTest, CompletePanelSequenceOfASmallFile) {
  WriteWholeFile(Data("seven.zbx"), DeviceLines({"7", "7", "7", "4", "9", "9"}));
  ASSERT_EQ(ConvertPath(Data("seven.zbx")), ConversionOutcome::Completed);
  EXPECT_EQ(host.Events(),
            (Events{"status:Etape N°1: Mise en mémoire", "main:16%", "main:33%", "main:50%",
                    "main:66%", "main:83%", "main:100%", "step:1",
                    "status:Etape N°2: Recherche WPT <-> TRK", "main:14%", "main:28%", "main:42%",
                    "main:57%", "main:71%", "main:85%", "main:100%", "step:2",
                    // Before each track: how far the scans have come (the
                    // second track's 57% is not sent again).
                    "status:Etape N°3: Création TRK", "main:57%", "inner:14%", "inner:28%",
                    "inner:42%", "inner:57%", "inner:71%", "inner:85%", "inner:100%", "step:3",
                    "status:Etape N°4: Création WPT", "main:100%", "inner:57%", "inner:71%",
                    "step:4", "inner:100%", "main:100 %",
                    "done:Traitement du fichier seven.zbx terminé."}));
  EXPECT_EQ(host.step_finished, (std::array<bool, 4>{true, true, true, true}));
  EXPECT_TRUE(host.completion_shown);
}

TEST_F(OutputTest, RunsOfTheSameValueApartAreSeparateItems) {
  ASSERT_EQ(ConvertGroups({"3", "3", "4", "3", "3"}), ConversionOutcome::Completed);
  ASSERT_EQ(list1.size(), 2u);
  EXPECT_EQ(list1[1].first_record, 4);
  EXPECT_EQ(Count(Tracks(), "T;"), 2);
  EXPECT_EQ(Count(Tracks(), "P;"), 4);
  EXPECT_EQ(Waypoints(), WLine(3));
}

TEST_F(OutputTest, AFirstRunOfGroupZeroIsMeasuredExactly) {
  ASSERT_EQ(ConvertGroups({"0", "0", "5"}), ConversionOutcome::Completed);
  ASSERT_EQ(list1.size(), 1u);
  ExpectEntry(list1[0], "0", 1, 0);
  ASSERT_EQ(list2.size(), 1u);
  ExpectEntry(list2[0], "5", 3, 5);
  EXPECT_EQ(Count(Tracks(), "P;"), 2);
  EXPECT_EQ(Waypoints(), WLine(3));
}

TEST_F(OutputTest, ALastRunOfGroupZeroIsWritten) {
  ASSERT_EQ(ConvertGroups({"5", "5", "0"}), ConversionOutcome::Completed);
  EXPECT_EQ(Count(Tracks(), "P;"), 2);
  EXPECT_EQ(Waypoints(), WLine(3));

  // Every point reads 0: one track of all of them, not two empty files.
  ASSERT_EQ(ConvertGroups({"0", "0", "0"}), ConversionOutcome::Completed);
  EXPECT_EQ(Count(Tracks(), "P;"), 3);
  EXPECT_EQ(Waypoints(), "");

  // A missing Group reads 0 as well; a lone point is a waypoint.
  ASSERT_EQ(Convert("in.zbx", "1,2,3,\"a\"\r\n"), ConversionOutcome::Completed);
  EXPECT_EQ(Tracks(), "");
  EXPECT_EQ(Count(Waypoints(), "W;a;;"), 1);
}

TEST_F(OutputTest, FractionalGroupsFormRunsLikeAnyOtherValue) {
  // 1.5 rounds to 2 for its entry text but is a run of its own; the 2s that
  // follow are another run and lose nothing.
  ASSERT_EQ(ConvertGroups({"1.5", "2", "2", "2.5", "2.5", "2.4"}), ConversionOutcome::Completed);
  ASSERT_EQ(list1.size(), 2u);
  ExpectEntry(list1[0], "2", 2, 2);
  ExpectEntry(list1[1], "2", 4, 2.5);
  ASSERT_EQ(list2.size(), 2u);
  ExpectEntry(list2[0], "2", 1, 1.5);
  ExpectEntry(list2[1], "2", 6, 2.4);
  EXPECT_EQ(Count(Tracks(), "P;") + Count(Waypoints(), "W;"), 6);
  EXPECT_EQ(Waypoints(), WLine(1) + WLine(6));
}

TEST_F(OutputTest, GroupsAreReadAsNumbers) {
  // " 7", "7.0" and "7abc" all read 7: one run.
  ASSERT_EQ(Convert("in.zbx", "1,2,3,\"a\", 7\r\n1,2,3,\"b\",7.0\r\n1,2,3,\"c\",7abc\r\n"),
            ConversionOutcome::Completed);
  ASSERT_EQ(list1.size(), 1u);
  EXPECT_EQ(Count(Tracks(), "P;"), 3);
}

TEST_F(OutputTest, GroupValuesBeyondSixteenBitsFailBeforeAnyFileIsWritten) {
  for (const char* group : {"40000", "32767.5", "-32769", "1e999"}) {
    host.ClearEvents();
    EXPECT_EQ(ConvertGroups({"1", "1", group}), ConversionOutcome::Failed) << group;
    EXPECT_EQ(host.Events().back(), kErrorEvent) << group;
    EXPECT_EQ(host.step_finished, (std::array<bool, 4>{true, false, false, false})) << group;
    EXPECT_FALSE(FileExists(Data("in_TRK.txt"))) << group;
    EXPECT_TRUE(FileExists(store_path())) << group;  // left for the next run
  }
  // The ends of the range after rounding half to even.
  ASSERT_EQ(ConvertGroups({"-32768.5", "32766.5", "32767"}), ConversionOutcome::Completed);
  EXPECT_EQ(list2.at(0).text, "-32768");
  EXPECT_EQ(list2.at(1).text, "32766");
  EXPECT_EQ(list2.at(2).text, "32767");
}

TEST_F(OutputTest, PercentagesNeverExceedOneHundred) {
  for (const auto& groups : std::vector<std::vector<std::string>>{
           {"1"}, {"1", "1"}, {"1", "2", "3"}, {"1", "1", "2", "2", "3"}, {}}) {
    host.ClearEvents();
    ASSERT_EQ(ConvertGroups(groups), ConversionOutcome::Completed);
    for (const auto& event : host.Events()) {
      for (const char* prefix : {"main:", "inner:"}) {
        if (event.rfind(prefix, 0) != 0 || event == "main:100 %") continue;
        const int percent = std::atoi(event.c_str() + std::string(prefix).size());
        EXPECT_GE(percent, 0) << event;
        EXPECT_LE(percent, 100) << event;
      }
    }
  }
}

TEST_F(OutputTest, WaypointPercentagesStartWhereTheTrackScansStopped) {
  // Records 1-2 a track, 3 and 4 waypoints, 5 the end record. The track's
  // scan stops at record 3, the first waypoint's at 4.
  ASSERT_EQ(ConvertGroups({"1", "1", "2", "3"}), ConversionOutcome::Completed);
  Events step4;
  bool in_step4 = false;
  for (const auto& event : host.Events()) {
    if (event == "status:Etape N°4: Création WPT") in_step4 = true;
    if (event == "step:4") break;
    if (in_step4 && event.rfind("main:", 0) == 0) step4.push_back(event);
  }
  EXPECT_EQ(step4, (Events{"main:30%", "main:80%"}));
}

TEST_F(OutputTest, NamesAreTrimmedAndATrackIsNamedAfterItsFirstPoint) {
  ASSERT_EQ(Convert("in.zbx",
                    "1,2,3,\"  Route A  \",1\r\n1,2,3,\" second \",1\r\n1,2,3,\"  Buoy \",2\r\n"
                    "1,2,3,\"\",3\r\n"),
            ConversionOutcome::Completed);
  EXPECT_EQ(Count(Tracks(), "T;Route A;1;1\r\n"), 1);
  EXPECT_EQ(Count(Tracks(), "second"), 0);
  EXPECT_EQ(Waypoints().substr(0, 8), "W;Buoy;;");
  EXPECT_EQ(Count(Waypoints(), "\r\nW;;;2.000000000000000;"), 1);  // an empty name
}

TEST_F(OutputTest, ValueFollowsTheRegionalDecimalMarkAndCoordinatesNever) {
  ASSERT_EQ(Convert("in.zbx", "47.123,-4.5,12.5,\"a\",1\r\n0.1,1e-7,-0.125,\"b\",1\r\n",
                    RegionalSettings::C()),
            ConversionOutcome::Completed);
  EXPECT_NE(Tracks().find("P;-4.500000000000000;47.123000000000000;12.50;-9999;"), std::string::npos);
  EXPECT_NE(Tracks().find("P;0.000000100000000;0.100000000000000;-0.13;-9999;"), std::string::npos);
  ASSERT_EQ(Convert("in.zbx", "47.123,-4.5,12.5,\"a\",1\r\n0.1,1e-7,abc,\"b\",1\r\n",
                    RegionalSettings::French()),
            ConversionOutcome::Completed);
  EXPECT_NE(Tracks().find("P;-4.500000000000000;47.123000000000000;12,50;-9999;"), std::string::npos);
  EXPECT_NE(Tracks().find(";abc;-9999;"), std::string::npos);
}

TEST_F(OutputTest, ACoordinateBeyondTheRangeOfADoubleFails) {
  ASSERT_EQ(Convert("in.zbx", "1e999,2,3,\"a\",1\r\n1,2,3,\"b\",1\r\n"), ConversionOutcome::Failed);
  EXPECT_EQ(host.Messages(), Events{kErrorEvent});
  EXPECT_FALSE(FileExists(Data("in_TRK.txt")));
}

class ScriptedClock final : public Clock {
 public:
  explicit ScriptedClock(std::vector<LocalTime> times) : times_(std::move(times)) {}
  LocalTime Now() override { return times_.at(next_++); }

 private:
  std::vector<LocalTime> times_;
  std::size_t next_ = 0;
};

TEST_F(OutputTest, StampIsTakenFromTheClockForEveryPointLine) {
  ScriptedClock midnight({{2024, 12, 31, 23, 59, 59}, {2025, 1, 1, 0, 0, 0}});
  RegionalSettings regional = RegionalSettings::French();
  regional.date_separator = ".";
  WriteWholeFile(Data("in.zbx"), DeviceLines({"1", "1"}));
  DeviceToChartConverter converter(host, regional, midnight, location);
  ASSERT_EQ(converter.ConvertDeviceToChart(Data("in.zbx")), ConversionOutcome::Completed);
  EXPECT_EQ(Tracks(), "T;P1;1;1\r\n" + PLine(1, "31.12.2024 23:59:59") + PLine(2, "01.01.2025 00:00:00"));
}

TEST_F(OutputTest, BothFilesAreAlwaysCreated) {
  ASSERT_EQ(ConvertGroups({"1", "2"}), ConversionOutcome::Completed);
  EXPECT_TRUE(FileExists(Data("in_TRK.txt")));
  EXPECT_EQ(Tracks(), "");
  EXPECT_EQ(Waypoints(), WLine(1) + WLine(2));

  ASSERT_EQ(ConvertGroups({"1", "1"}), ConversionOutcome::Completed);
  EXPECT_TRUE(FileExists(Data("in_WPT.txt")));
  EXPECT_EQ(Waypoints(), "");

  ASSERT_EQ(ConvertGroups({}), ConversionOutcome::Completed);
  EXPECT_EQ(Tracks(), "");
  EXPECT_EQ(Waypoints(), "");
  EXPECT_TRUE(list1.empty());
  EXPECT_TRUE(list2.empty());
}

TEST_F(OutputTest, FailureToCreateTheTrackFile) {
  WriteWholeFile(Data("in_TRK.txt"), "old tracks");
  WriteWholeFile(Data("in_WPT.txt"), "old waypoints");
  files.Fail(FsCall::CreateTemporary, 0, "_TRK.txt");
  ASSERT_EQ(ConvertGroups({"1", "1", "2"}), ConversionOutcome::Failed);
  EXPECT_EQ(host.Events().back(), kErrorEvent);
  EXPECT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.status, "Etape N°3: Création TRK");
  EXPECT_EQ(host.step_finished, (std::array<bool, 4>{true, true, false, false}));
  EXPECT_FALSE(host.completion_shown);
  EXPECT_TRUE(FileExists(store_path()));
  EXPECT_EQ(Tracks(), "old tracks");
  EXPECT_EQ(Waypoints(), "old waypoints");
}

TEST_F(OutputTest, FailureToWriteTheWaypointFileKeepsTheOldOne) {
  WriteWholeFile(Data("in_WPT.txt"), "old waypoints");
  files.Fail(FsCall::Write, 0, "_WPT.txt");  // half the text reaches the disk, then it is full
  ASSERT_EQ(ConvertGroups({"1", "1", "2"}), ConversionOutcome::Failed);
  EXPECT_EQ(host.step_finished, (std::array<bool, 4>{true, true, true, false}));
  EXPECT_EQ(Count(Tracks(), "P;"), 2);  // written before: it stays
  EXPECT_EQ(Waypoints(), "old waypoints");
  EXPECT_TRUE(FilesStartingWith(data_folder(), ".").empty()) << "no temporary file left";
  EXPECT_TRUE(FileExists(store_path()));
}

TEST_F(OutputTest, AReplacedOutputKeepsItsPermissionsAndANewOneGetsTheUsualOnes) {
  const mode_t saved_umask = umask(022);
  WriteWholeFile(Data("in_TRK.txt"), "old");
  chmod(Data("in_TRK.txt").c_str(), 0640);
  ASSERT_EQ(ConvertGroups({"1", "1", "2"}), ConversionOutcome::Completed);
  umask(saved_umask);
  struct stat info {};
  ASSERT_EQ(stat(Data("in_TRK.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  ASSERT_EQ(stat(Data("in_WPT.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  EXPECT_EQ(Count(Tracks(), "P;"), 2);
}

TEST_F(OutputTest, AnOutputThatIsASymbolicLinkHasItsTargetReplaced) {
  const std::string target = temp.File("elsewhere.txt");
  WriteWholeFile(target, "old");
  ASSERT_EQ(symlink(target.c_str(), Data("in_WPT.txt").c_str()), 0);
  ASSERT_EQ(ConvertGroups({"1"}), ConversionOutcome::Completed);
  struct stat info {};
  ASSERT_EQ(lstat(Data("in_WPT.txt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(ReadWholeFile(target), WLine(1));
}

TEST_F(OutputTest, AStoreThatCannotBeDeletedAfterCompletionIsNoFailure) {
  files.Fail(FsCall::Remove, 0, "ZRB_DB");
  ASSERT_EQ(ConvertGroups({"1", "2"}), ConversionOutcome::Completed);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(host.Events().back(), "done:Traitement du fichier in.zbx terminé.");
  // The next run reuses it and removes it.
  files.Clear();
  ASSERT_EQ(ConvertGroups({"3"}), ConversionOutcome::Completed);
  EXPECT_FALSE(FileExists(store_path()));
  EXPECT_EQ(Waypoints(), WLine(1));
}

TEST_F(OutputTest, AFailedRunKeepsTheListsOfThePreviousOneUntilStepOneEnds) {
  DeviceToChartConverter converter(host, RegionalSettings::French(), clock, location);
  WriteWholeFile(Data("in.zbx"), DeviceLines({"1", "1", "2"}));
  ASSERT_EQ(converter.ConvertDeviceToChart(Data("in.zbx")), ConversionOutcome::Completed);
  WriteWholeFile(Data("bad.zbx"), "\r\n");
  ASSERT_EQ(converter.ConvertDeviceToChart(Data("bad.zbx")), ConversionOutcome::Failed);
  EXPECT_EQ(converter.List1().size(), 1u);
  WriteWholeFile(Data("in.zbx"), DeviceLines({"5"}));
  ASSERT_EQ(converter.ConvertDeviceToChart(Data("in.zbx")), ConversionOutcome::Completed);
  EXPECT_TRUE(converter.List1().empty());
  ASSERT_EQ(converter.List2().size(), 1u);
  EXPECT_EQ(converter.List2()[0].text, "5");
}

}  // namespace
}  // namespace tessaline::testing
