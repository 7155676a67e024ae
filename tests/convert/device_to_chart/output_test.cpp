// Steps 2 to 4: runs of equal Group, the two chart files, the completion
// and the error handler.

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>

#include "converter_fixture.h"

namespace tessaline::testing {
namespace {

// The P line and W line of point n of DeviceLines, French settings.
std::string PLine(int n, const std::string& stamp) {
  const std::string d = std::to_string(n);
  return "P;-4." + d + "00000000000000;47." + d + "00000000000000;" + d + ",50;-9999;" + stamp + "\r\n";
}
std::string WLine(int n) {
  const std::string d = std::to_string(n), c2 = "-4." + d + "00000000000000",
                    c1 = "47." + d + "00000000000000";
  return "W;P" + d + ";;" + c2 + ";" + c1 + ";-9999;" + c1 + ";" + c2 +
         ";0;C8;WGS84;2;1;18;255;1;0;3;Arial,8,0,0,0,0;0;65535;16;0;0\r\n";
}
// An entry as "text@first".
std::vector<std::string> Entries(const std::vector<RunEntry>& list) {
  std::vector<std::string> entries;
  for (const auto& e : list) entries.push_back(e.text + "@" + std::to_string(e.first_record));
  return entries;
}

using OutputTest = DeviceToChartTest;

TEST_F(OutputTest, TwoTracksAndAWaypointByteForByteWithTheirPanelSequence) {
  ASSERT_EQ(Convert(DeviceLines({"7", "7", "7", "4", "9", "9"}), "seven.zbx"), ConversionOutcome::Completed);
  EXPECT_EQ(ReadWholeFile(Data("seven_TRK.txt")),
            "T;P1;1;1\r\n" + PLine(1, "07/03/2024 10:11:12") + PLine(2, "07/03/2024 10:11:13") +
                PLine(3, "07/03/2024 10:11:14") + "T;P5;1;1\r\n" + PLine(5, "07/03/2024 10:11:15") +
                PLine(6, "07/03/2024 10:11:16"));
  EXPECT_EQ(ReadWholeFile(Data("seven_WPT.txt")), WLine(4));
  EXPECT_EQ(Entries(list1), (Events{"7@1", "9@5"}));
  EXPECT_EQ(Entries(list2), (Events{"4@4"}));
  EXPECT_EQ(host.Events(),
            (Events{"status:Etape N°1: Mise en mémoire", "main:16%", "main:33%", "main:50%", "main:66%",
                    "main:83%", "main:100%", "step:1", "status:Etape N°2: Recherche WPT <-> TRK",
                    "main:14%", "main:28%", "main:42%", "main:57%", "main:71%", "main:85%", "main:100%",
                    "step:2", "status:Etape N°3: Création TRK",
                    // 57% before each track (sent once), then each record read.
                    "main:57%", "inner:14%", "inner:28%", "inner:42%", "inner:57%", "inner:71%",
                    "inner:85%", "inner:100%", "step:3", "status:Etape N°4: Création WPT", "main:100%",
                    "inner:57%", "inner:71%", "step:4", "inner:100%", "main:100 %",
                    "done:Traitement du fichier seven.zbx terminé."}));
  EXPECT_FALSE(FileExists(store_path()));
}

TEST_F(OutputTest, EveryPointLandsInExactlyOneItem) {
  const struct {
    std::vector<std::string> groups;
    Events tracks, waypoints;
  } cases[] = {
      {{"3", "3", "4", "3", "3"}, {"3@1", "3@4"}, {"4@3"}},  // same value apart: two items
      {{"0", "0", "5"}, {"0@1"}, {"5@3"}},                   // a first run of 0
      {{"5", "5", "0"}, {"5@1"}, {"0@3"}},                   // a last run of 0
      {{"0", "0", "0"}, {"0@1"}, {}},
      // Compared unrounded; the entry text is rounded half to even.
      {{"1.5", "2", "2", "2.5", "2.5", "2.4"}, {"2@2", "2@4"}, {"2@1", "2@6"}},
      {{" 7", "7.0", "7abc", ""}, {"7@1"}, {"0@4"}},
      {{"-32768.5", "32766.5", "32767"}, {}, {"-32768@1", "32766@2", "32767@3"}},
      {{}, {}, {}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Convert(DeviceLines(c.groups)), ConversionOutcome::Completed) << c.groups.size();
    EXPECT_EQ(Entries(list1), c.tracks) << ::testing::PrintToString(c.groups);
    EXPECT_EQ(Entries(list2), c.waypoints) << ::testing::PrintToString(c.groups);
    EXPECT_EQ(Occurrences(Tracks(), "T;"), static_cast<int>(c.tracks.size()));
    EXPECT_EQ(Occurrences(Tracks(), "P;") + Occurrences(Waypoints(), "W;"),
              static_cast<int>(c.groups.size()));
  }
  EXPECT_EQ(Waypoints(), "");  // both files exist, even empty
  EXPECT_EQ(Tracks(), "");
}

TEST_F(OutputTest, GroupsBeyondSixteenBitsFailBeforeAnyFileIsWritten) {
  for (const char* group : {"40000", "32767.5", "-32769", "1e999"}) {
    EXPECT_EQ(Convert(DeviceLines({"1", "1", group})), ConversionOutcome::Failed) << group;
    EXPECT_EQ(host.Events().back(), kErrorEvent);
    EXPECT_FALSE(FileExists(Data("in_TRK.txt"))) << group;
    EXPECT_TRUE(FileExists(store_path())) << group;  // left for the next run
  }
  EXPECT_EQ(host.step_finished, (std::array<bool, 4>{true, false, false, false}));
}

TEST_F(OutputTest, PercentagesStayWithinOneHundred) {
  // One track of 1, 1, then waypoints 2 and 3 (records 3 and 4) of 5
  // records. Before the first track no scan has run: 6/5 x 100 is held to
  // 100%, which step 2 left showing, so nothing is sent. Step 4 starts where the track's scan stopped: 3/5 x 100 / 2 x 1,
  // then 4/5 x 100 / 2 x 2. (The first waypoint's 60% repeats step 3's last.)
  ASSERT_EQ(Convert(DeviceLines({"1", "1", "2", "3"})), ConversionOutcome::Completed);
  const Events& e = host.Events();
  const auto step3 = std::find(e.begin(), e.end(), "status:Etape N°3: Création TRK");
  EXPECT_EQ(*(step3 + 1), "inner:20%");
  const auto step4 = std::find(e.begin(), e.end(), "status:Etape N°4: Création WPT");
  EXPECT_EQ(Events(step4 + 1, step4 + 6),
            (Events{"main:30%", "inner:80%", "main:80%", "inner:100%", "step:4"}));
}

TEST_F(OutputTest, NamesTrimmedValueRegionalCoordinatesAlwaysWithAPoint) {
  ASSERT_EQ(Convert("47.123,-4.5,12.5,\"  Route A  \",1\r\n0.1,1e-7,-0.125,\" other \",1\r\n"
                    "1,2,abc,\"  Buoy \",2\r\n",
                    "in.zbx", RegionalSettings::C()),
            ConversionOutcome::Completed);
  EXPECT_EQ(Tracks().rfind("T;Route A;1;1\r\nP;-4.500000000000000;47.123000000000000;12.50;-9999;", 0), 0u);
  EXPECT_NE(Tracks().find("\r\nP;0.000000100000000;0.100000000000000;-0.13;-9999;"), std::string::npos);
  EXPECT_EQ(Occurrences(Tracks(), "other"), 0);
  EXPECT_EQ(Waypoints().substr(0, 8), "W;Buoy;;");
  ASSERT_EQ(Convert("47.123,-4.5,12.5,\"a\",1\r\n1,2,abc,\"b\",1\r\n"), ConversionOutcome::Completed);
  EXPECT_NE(Tracks().find(";47.123000000000000;12,50;-9999;"), std::string::npos);
  EXPECT_NE(Tracks().find(";abc;-9999;"), std::string::npos);
  // A coordinate beyond the range of a double is an error, not an infinity.
  EXPECT_EQ(Convert("1e999,2,3,\"a\",1\r\n"), ConversionOutcome::Failed);
}

class ScriptedClock final : public Clock {
 public:
  LocalTime Now() override { return times.at(next++); }
  std::vector<LocalTime> times;
  std::size_t next = 0;
};

TEST_F(OutputTest, EveryPointLineIsStampedWhenItIsWritten) {
  ScriptedClock midnight;
  midnight.times = {{2024, 12, 31, 23, 59, 59}, {2025, 1, 1, 0, 0, 0}};
  RegionalSettings regional = RegionalSettings::French();
  regional.date_separator = ".";
  WriteWholeFile(Data("in.zbx"), DeviceLines({"1", "1"}));
  DeviceToChartConverter converter(host, regional, midnight, location);
  ASSERT_EQ(converter.ConvertDeviceToChart(Data("in.zbx")), ConversionOutcome::Completed);
  EXPECT_EQ(Tracks(), "T;P1;1;1\r\n" + PLine(1, "31.12.2024 23:59:59") + PLine(2, "01.01.2025 00:00:00"));
}

TEST_F(OutputTest, AFailureToCreateAnOutputChangesNothingOnDisk) {
  WriteWholeFile(Data("in_TRK.txt"), "old tracks");
  WriteWholeFile(Data("in_WPT.txt"), "old waypoints");
  files.Fail(FsCall::CreateTemporary, 0, "_TRK.txt");
  ASSERT_EQ(Convert(DeviceLines({"1", "1", "2"})), ConversionOutcome::Failed);
  EXPECT_EQ(host.Messages(), Events{kErrorEvent});
  // Both files are written together at the end of step 4.
  EXPECT_EQ(host.status, "Etape N°4: Création WPT");
  EXPECT_EQ(host.step_finished, (std::array<bool, 4>{true, true, true, false}));
  EXPECT_FALSE(host.completion_shown);
  EXPECT_TRUE(FileExists(store_path()));
  EXPECT_EQ(Tracks(), "old tracks");
  EXPECT_EQ(Waypoints(), "old waypoints");

  // A disk that fills up half way through the waypoint file: the new track
  // file is not put beside the old waypoint file either.
  files.Clear();
  files.Fail(FsCall::Write, 0, "_WPT.txt");
  ASSERT_EQ(Convert(DeviceLines({"1", "1", "2"})), ConversionOutcome::Failed);
  EXPECT_EQ(Tracks(), "old tracks");
  EXPECT_EQ(Waypoints(), "old waypoints");
  EXPECT_TRUE(Listing(temp.File("data"), ".").empty()) << "no temporary file left";
}

#ifndef _WIN32  // POSIX permission bits, umask and symbolic links
TEST_F(OutputTest, ReplacedOutputsKeepTheirPermissionsAndLinksAreReplacedThemselves) {
  const mode_t saved_umask = umask(022);
  WriteWholeFile(Data("in_TRK.txt"), "old");
  chmod(Data("in_TRK.txt").c_str(), 0640);
  const std::string target = temp.File("elsewhere.txt");
  WriteWholeFile(target, "old");
  ASSERT_EQ(symlink(target.c_str(), Data("in_WPT.txt").c_str()), 0);
  ASSERT_EQ(Convert(DeviceLines({"1", "1", "2"}), "in.zbx"), ConversionOutcome::Completed);
  ASSERT_EQ(Convert(DeviceLines({"1"}), "new.zbx"), ConversionOutcome::Completed);
  umask(saved_umask);
  struct stat info {};
  ASSERT_EQ(stat(Data("in_TRK.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  ASSERT_EQ(stat(Data("new_TRK.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);  // a new file: 0666 less the umask
  ASSERT_EQ(lstat(Data("in_WPT.txt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(ReadWholeFile(Data("in_WPT.txt")), WLine(3));
  EXPECT_EQ(ReadWholeFile(target), "old");
}
#endif

TEST_F(OutputTest, AStoreThatCannotBeDeletedAfterTheCompletionIsNoFailure) {
  files.Fail(FsCall::Remove, 0, "ZRB_DB");
  ASSERT_EQ(Convert(DeviceLines({"1", "2"})), ConversionOutcome::Completed);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(host.Events().back(), "done:Traitement du fichier in.zbx terminé.");
  files.Clear();
  ASSERT_EQ(Convert(DeviceLines({"3"})), ConversionOutcome::Completed);  // reused, then deleted
  EXPECT_FALSE(FileExists(store_path()));
  EXPECT_EQ(Waypoints(), WLine(1));
}

}  // namespace
}  // namespace tessaline::testing

namespace tessaline::testing {
namespace {

// A stop asked at any yield (Ctrl-C, the window closed) leaves the two chart
// files as a pair: both earlier ones or both new ones, never one of each.
TEST_F(OutputTest, AStopNeverLeavesANewTrackFileBesideAnOldWaypointFile) {
  const std::string device = DeviceLines({"1", "1", "2", "3", "3"});
  for (int yield = 1;; ++yield) {
    WriteWholeFile(Data("in_TRK.txt"), "old tracks");
    WriteWholeFile(Data("in_WPT.txt"), "old waypoints");
    host.StopAtYield(host.yields() + yield);
    const ConversionOutcome outcome = Convert(device);
    const bool old_tracks = Tracks() == "old tracks", old_waypoints = Waypoints() == "old waypoints";
    EXPECT_EQ(old_tracks, old_waypoints) << "stopped at yield " << yield;
    EXPECT_EQ(old_tracks, outcome == ConversionOutcome::Stopped) << "stopped at yield " << yield;
    if (outcome == ConversionOutcome::Completed) break;
  }
}

}  // namespace
}  // namespace tessaline::testing
