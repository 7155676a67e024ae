// Hostile files through the real tessaline-convert: whatever the bytes, a
// file is converted or refused by the line rules with the direction's
// message and exit status 1, the program never crashes or hangs, and an
// earlier output is never lost.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "hostile_support.h"

namespace tessaline::testing {
namespace {

constexpr const char* kOldTracks = "T;earlier;1;1\r\nP;1.000000000000000;2.000000000000000;3.00;-9999;x\r\n";
constexpr const char* kOldWaypoints = "W;earlier;;1;2;-9999;2;1;0\r\n";
constexpr const char* kOldDevice = "1,2,3,\"earlier\"\r\n";

class HostileFiles : public ::testing::Test {
 protected:
  // Earlier outputs that a refused file must leave as they are.
  void PutEarlierChartFiles(const std::string& base) {
    WriteWholeFile(stage_.DataFile(base + "_TRK.txt"), kOldTracks);
    WriteWholeFile(stage_.DataFile(base + "_WPT.txt"), kOldWaypoints);
  }
  void ExpectEarlierChartFiles(const std::string& base) {
    EXPECT_EQ(ReadWholeFile(stage_.DataFile(base + "_TRK.txt")), kOldTracks) << base;
    EXPECT_EQ(ReadWholeFile(stage_.DataFile(base + "_WPT.txt")), kOldWaypoints) << base;
  }
  std::string Tracks(const std::string& base) { return ReadWholeFile(stage_.DataFile(base + "_TRK.txt")); }
  std::string Waypoints(const std::string& base) { return ReadWholeFile(stage_.DataFile(base + "_WPT.txt")); }

  void ExpectNoCrash(const ChildResult& run) {
    EXPECT_EQ(run.signal, 0) << "ended by signal " << run.signal << "\n" << run.err;
    EXPECT_FALSE(run.timed_out);
  }

  ConverterStage stage_;
};

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

TEST_F(HostileFiles, RandomBinaryDataIsConvertedOrRefusedNeverACrash) {
  // Any bytes make a chart file: lines of no known kind are skipped.
  WriteWholeFile(stage_.DataFile("static_TRK.txt"), RandomBytes(1 << 20, 7));
  WriteWholeFile(stage_.DataFile("static_TRK.asc"), kOldDevice);
  // As a device file they break the reading rules (short lines, empty lines).
  WriteWholeFile(stage_.DataFile("noise.zbx"), RandomBytes(1 << 20, 8));
  PutEarlierChartFiles("noise");

  const ChildResult run = stage_.Convert({"-q", "static_TRK.txt", "noise.zbx"});
  ExpectNoCrash(run);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, MessageLine("noise.zbx", kDeviceToChartError, "ligne 1 : moins de quatre champs"));
  EXPECT_NE(ReadWholeFile(stage_.DataFile("static_TRK.asc")), kOldDevice) << "the chart file was not converted";
  ExpectEarlierChartFiles("noise");
  // The device file read back: any line of the output reads as a device line.
  for (const std::string& line : LinesOf(ReadWholeFile(stage_.DataFile("static_TRK.asc")))) {
    EXPECT_NE(line.find(",\""), std::string::npos);
    EXPECT_EQ(line.back(), '"');
  }
}

TEST_F(HostileFiles, NulBytesAndInvalidUtf8AreKeptAsTheyStand) {
  using namespace std::string_literals;
  // A track of two points whose name and value hold NUL and invalid UTF-8,
  // a waypoint with a long invalid name (cut at 50 bytes) and one with a
  // long valid name (cut before the character that would be split).
  const std::string bad_name = "na\0me\xff"s;
  const std::string long_invalid = "\xff"s + std::string(60, 'x');
  const std::string long_valid = "a" + [] { std::string s; for (int i = 0; i < 30; ++i) s += "é"; return s; }();
  WriteWholeFile(stage_.DataFile("odd.zbx"),
                 "1.5,2.5,1\0,\""s + bad_name + "\",7\r\n1.6,2.6,2,\"x\",7\r\n3,4,5,\"" + long_invalid +
                     "\",8\r\n5,6,7,\"" + long_valid + "\",9\r\n");
  const std::string chart = "W;\0\xc3\x28;;\xfe;\0;v\0\r\n"s;
  WriteWholeFile(stage_.DataFile("marks_WPT.txt"), chart);

  const ChildResult run = stage_.Convert({"-q", "odd.zbx", "marks_WPT.txt"});
  ExpectNoCrash(run);
  EXPECT_EQ(run.exit_status, 0) << run.err;

  EXPECT_EQ(WithoutStamps(Tracks("odd")),
            "T;"s + bad_name + ";1;1\r\nP;2.500000000000000;1.500000000000000;1\0;-9999;*\r\n"
                               "P;2.600000000000000;1.600000000000000;2.00;-9999;*\r\n"s);
  const std::vector<std::string> waypoints = LinesOf(Waypoints("odd"));
  ASSERT_EQ(waypoints.size(), 2u);
  EXPECT_EQ(waypoints[0].substr(0, 2 + 50 + 2), "W;" + long_invalid.substr(0, 50) + ";;");
  EXPECT_EQ(waypoints[1].substr(0, 2 + 49 + 2), "W;" + long_valid.substr(0, 49) + ";;");
  // The chart texts are copied byte for byte; the coordinates change places.
  EXPECT_EQ(ReadWholeFile(stage_.DataFile("marks_WPT.asc")), "\0,\xfe,v\0,\"\0\xc3\x28\"\r\n"s);
}

TEST_F(HostileFiles, LoneCarriageReturnsEndLinesAndSoDoLineFeedsInAFileWithoutCr) {
  const std::string crlf = "1,2,3,\"a\",5\r\n1,2,4,\"b\",5\r\n1,2,5,\"c\",6\r\n";
  std::string cr_only = crlf;
  for (std::size_t at; (at = cr_only.find("\r\n")) != std::string::npos;) cr_only.erase(at + 1, 1);
  std::string lf_only = crlf;
  for (std::size_t at; (at = lf_only.find("\r\n")) != std::string::npos;) lf_only.erase(at, 1);
  WriteWholeFile(stage_.DataFile("crlf.zbx"), crlf);
  WriteWholeFile(stage_.DataFile("cr.zbx"), cr_only);
  WriteWholeFile(stage_.DataFile("lf.zbx"), lf_only);
  const std::string track = "T;Raz;1;1\r\nP;1;2;3,5\r\nP;4;5;6\r\n";
  std::string track_cr = track, track_lf = track;
  for (std::size_t at; (at = track_cr.find("\r\n")) != std::string::npos;) track_cr.erase(at + 1, 1);
  for (std::size_t at; (at = track_lf.find("\r\n")) != std::string::npos;) track_lf.erase(at, 1);
  WriteWholeFile(stage_.DataFile("route_crlf_TRK.txt"), track);
  WriteWholeFile(stage_.DataFile("route_cr_TRK.txt"), track_cr);
  WriteWholeFile(stage_.DataFile("route_lf_TRK.txt"), track_lf);

  const ChildResult run =
      stage_.Convert({"-q", "crlf.zbx", "cr.zbx", "lf.zbx", "route_crlf_TRK.txt", "route_cr_TRK.txt",
                      "route_lf_TRK.txt"});
  ExpectNoCrash(run);
  EXPECT_EQ(run.exit_status, 0) << run.err;
  // CR alone reads like CR LF.
  EXPECT_EQ(WithoutStamps(Tracks("cr")), WithoutStamps(Tracks("crlf")));
  EXPECT_EQ(Waypoints("cr"), Waypoints("crlf"));
  EXPECT_EQ(ReadWholeFile(stage_.DataFile("route_cr_TRK.asc")), ReadWholeFile(stage_.DataFile("route_crlf_TRK.asc")));
  EXPECT_EQ(ReadWholeFile(stage_.DataFile("route_crlf_TRK.asc")), "2,1,3.5,\"Raz\"\r\n5,4,6,\"Raz\"\r\n");
  // A file with no CR at all is read at its LFs, like CR LF.
  EXPECT_EQ(WithoutStamps(Tracks("lf")), WithoutStamps(Tracks("crlf")));
  EXPECT_EQ(Waypoints("lf"), Waypoints("crlf"));
  EXPECT_EQ(ReadWholeFile(stage_.DataFile("route_lf_TRK.asc")), ReadWholeFile(stage_.DataFile("route_crlf_TRK.asc")));
}

TEST_F(HostileFiles, ThirtyTwoThousandSevenHundredAndSixtySixLinesAndNotOneMore) {
  WriteRepeated(stage_.DataFile("most.zbx"), "", "47.1,-4.2,1.5,\"p\",3\r\n", 32766, "");
  WriteRepeated(stage_.DataFile("toomany.zbx"), "", "47.1,-4.2,1.5,\"p\",3\r\n", 32767, "");
  PutEarlierChartFiles("toomany");
  const ChildResult run = stage_.Convert({"most.zbx", "toomany.zbx"});
  ExpectNoCrash(run);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.out, CompletionLine("most.zbx", "1 trace (32766 points), 0 waypoint"));
  EXPECT_EQ(run.err, MessageLine("toomany.zbx", kDeviceToChartError, "plus de 32 766 lignes"));
  const std::vector<std::string> tracks = LinesOf(Tracks("most"));
  ASSERT_EQ(tracks.size(), 32767u);  // one T line and every point
  EXPECT_EQ(tracks.front(), "T;p;1;1");
  EXPECT_EQ(Waypoints("most"), "");
  ExpectEarlierChartFiles("toomany");
}

TEST_F(HostileFiles, GroupValuesAtAndBeyondTheSixteenBitRange) {
  const std::vector<std::pair<std::string, std::string>> groups = {
      {"low", "-32768"}, {"high", "32767"}, {"over", "32768"}, {"huge", "1e999"}};
  std::vector<std::string> arguments;
  for (const auto& [name, group] : groups) {
    WriteWholeFile(stage_.DataFile(name + ".zbx"),
                   "1,2,3,\"" + name + "\"," + group + "\r\n4,5,6,\"" + name + "\"," + group + "\r\n");
    PutEarlierChartFiles(name);
    arguments.push_back(name + ".zbx");
  }
  const ChildResult run = stage_.Convert(arguments);
  ExpectNoCrash(run);
  EXPECT_EQ(run.exit_status, 1);
  // One failure does not keep the others from converting.
  EXPECT_EQ(run.out, CompletionLine("low.zbx", "1 trace (2 points), 0 waypoint") +
                         CompletionLine("high.zbx", "1 trace (2 points), 0 waypoint"));
  EXPECT_EQ(run.err,
            MessageLine("over.zbx", kDeviceToChartError, "ligne 1 : groupe hors de l'intervalle -32 768 à 32 767") +
                MessageLine("huge.zbx", kDeviceToChartError, "ligne 1 : nombre trop grand pour être lu"));
  EXPECT_EQ(LinesOf(Tracks("low")).size(), 3u);
  EXPECT_EQ(LinesOf(Tracks("high")).size(), 3u);
  ExpectEarlierChartFiles("over");
  ExpectEarlierChartFiles("huge");
}

TEST_F(HostileFiles, DirectoriesFifosAndMissingFilesGetTheMessageWithoutHanging) {
  ASSERT_EQ(mkdir(stage_.DataFile("folder.zbx").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(stage_.DataFile("box_TRK.txt").c_str(), 0755), 0);
  // Nobody ever opens the other end: a blocking open or read would hang.
  ASSERT_EQ(mkfifo(stage_.DataFile("pipe.zbx").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo(stage_.DataFile("channel_TRK.txt").c_str(), 0644), 0);
  PutEarlierChartFiles("pipe");
  WriteWholeFile(stage_.DataFile("channel_TRK.asc"), kOldDevice);

  ChildLaunch launch = stage_.LaunchFor({"folder.zbx", "box_TRK.txt", "pipe.zbx", "channel_TRK.txt", "missing.zbx",
                                   "missing_TRK.txt"});
  launch.time_limit = std::chrono::seconds(60);
  const ChildResult run = RunChild(launch);
  ExpectNoCrash(run);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.out, "");
  constexpr const char* kMissing = " : Aucun fichier ou dossier de ce type";
  EXPECT_EQ(run.err, MessageLine("folder.zbx", kDeviceToChartError, "folder.zbx : est un dossier") +
                         MessageLine("box_TRK.txt", kChartToDeviceError, "box_TRK.txt : est un dossier") +
                         MessageLine("pipe.zbx", kDeviceToChartError, "pipe.zbx : n'est pas un fichier ordinaire") +
                         MessageLine("channel_TRK.txt", kChartToDeviceError,
                                     "channel_TRK.txt : n'est pas un fichier ordinaire") +
                         MessageLine("missing.zbx", kDeviceToChartError, std::string("missing.zbx") + kMissing) +
                         MessageLine("missing_TRK.txt", kChartToDeviceError, std::string("missing_TRK.txt") + kMissing));
  ExpectEarlierChartFiles("pipe");
  EXPECT_EQ(ReadWholeFile(stage_.DataFile("channel_TRK.asc")), kOldDevice);
  for (const char* name : {"box_TRK.asc", "missing_TRK.asc", "missing_TRK.txt", "missing_WPT.txt"}) {
    EXPECT_FALSE(FileExists(stage_.DataFile(name))) << name << " was made for an input that is none";
  }
}

// A small tmpfs mounted for the test stands in for a full disk.
class SmallDisk {
 public:
  SmallDisk(const std::string& folder, const char* size) : folder_(folder) {
    mkdir(folder.c_str(), 0755);
    mounted_ = mount("tmpfs", folder.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  std::uint64_t FreeBytes() const {
    struct statvfs info;
    return statvfs(folder_.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize : 0;
  }

 private:
  std::string folder_;
  bool mounted_ = false;
};

TEST_F(HostileFiles, AFullDiskFailsWithTheMessageAndKeepsEarlierOutputs) {
  const SmallDisk disk(stage_.DataFile("disk"), "128k");
  if (!disk.mounted()) {
    GTEST_SKIP() << "cannot mount a small tmpfs here (needs root allowed to mount); the full disk is "
                    "covered by the injected write and close failures of faults_test and hostile_test";
  }
  // Outputs that cannot fit: 2,000 points make a track file of some 140 KB,
  // and 100 points named with 2,000 bytes a device file of some 200 KB.
  WriteRepeated(stage_.DataFile("disk/trace.zbx"), "", "1.5,2.5,3,\"p\",7\r\n", 2000, "");
  WriteRepeated(stage_.DataFile("disk/route_TRK.txt"), "T;" + std::string(2000, 'n') + ";1;1\r\n", "P;1;2;3\r\n",
                100, "");
  WriteWholeFile(stage_.DataFile("disk/trace_TRK.txt"), kOldTracks);
  WriteWholeFile(stage_.DataFile("disk/trace_WPT.txt"), kOldWaypoints);
  WriteWholeFile(stage_.DataFile("disk/route_TRK.asc"), kOldDevice);
  const std::uint64_t free_before = disk.FreeBytes();

  const ChildResult run = stage_.Convert({"disk/trace.zbx", "disk/route_TRK.txt"});
  ExpectNoCrash(run);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.out, "");
  constexpr const char* kFull = " : Aucun espace disponible sur le périphérique";
  EXPECT_EQ(run.err, MessageLine("disk/trace.zbx", kDeviceToChartError, std::string("trace_TRK.txt") + kFull) +
                         MessageLine("disk/route_TRK.txt", kChartToDeviceError, std::string("route_TRK.asc") + kFull));
  EXPECT_EQ(ReadWholeFile(stage_.DataFile("disk/trace_TRK.txt")), kOldTracks);
  EXPECT_EQ(ReadWholeFile(stage_.DataFile("disk/trace_WPT.txt")), kOldWaypoints);
  EXPECT_EQ(ReadWholeFile(stage_.DataFile("disk/route_TRK.asc")), kOldDevice);
  // The unfinished files are gone and their space with them.
  for (const auto& entry : std::filesystem::directory_iterator(stage_.DataFile("disk"))) {
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
  }
  EXPECT_EQ(disk.FreeBytes(), free_before);
}

// The output name is a link into another folder: the link itself is
// replaced by the new file, with the permissions of the file it pointed to,
// and nothing is written in the folder the user did not name.
TEST_F(HostileFiles, AnOutputThatIsASymbolicLinkIsReplacedItselfAndItsTargetKept) {
  const std::string elsewhere = stage_.DataFile("elsewhere");
  ASSERT_EQ(mkdir(elsewhere.c_str(), 0755), 0);
  WriteWholeFile(elsewhere + "/kept.asc", kOldDevice);
  ASSERT_EQ(chmod((elsewhere + "/kept.asc").c_str(), 0640), 0);
  ASSERT_EQ(symlink("elsewhere/kept.asc", stage_.DataFile("route_TRK.asc").c_str()), 0);
  WriteWholeFile(stage_.DataFile("route_TRK.txt"), "T;Raz;1;1\r\nP;1;2;3\r\n");
  // A device-to-chart output linked by an absolute path, and one whose link
  // points at a file that does not exist yet.
  WriteWholeFile(elsewhere + "/tracks.txt", kOldTracks);
  ASSERT_EQ(symlink((elsewhere + "/tracks.txt").c_str(), stage_.DataFile("trace_TRK.txt").c_str()), 0);
  ASSERT_EQ(symlink("elsewhere/new_WPT.txt", stage_.DataFile("trace_WPT.txt").c_str()), 0);
  WriteWholeFile(stage_.DataFile("trace.zbx"), "1,2,3,\"a\",1\r\n1,2,3,\"b\",1\r\n1,2,3,\"w\",2\r\n");

  const ChildResult run = stage_.Convert({"-q", "route_TRK.txt", "trace.zbx"});
  ExpectNoCrash(run);
  ASSERT_EQ(run.exit_status, 0) << run.err;

  struct stat info;
  for (const char* name : {"route_TRK.asc", "trace_TRK.txt", "trace_WPT.txt"}) {
    ASSERT_EQ(lstat(stage_.DataFile(name).c_str(), &info), 0) << name;
    EXPECT_TRUE(S_ISREG(info.st_mode)) << name << " is still a link";
  }
  ASSERT_EQ(stat(stage_.DataFile("route_TRK.asc").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadWholeFile(stage_.DataFile("route_TRK.asc")), "2,1,3,\"Raz\"\r\n");
  EXPECT_EQ(LinesOf(ReadWholeFile(stage_.DataFile("trace_TRK.txt"))).size(), 3u);
  EXPECT_EQ(LinesOf(ReadWholeFile(stage_.DataFile("trace_WPT.txt"))).size(), 1u);
  // The folder the links pointed into is as it was.
  EXPECT_EQ(ReadWholeFile(elsewhere + "/kept.asc"), kOldDevice);
  EXPECT_EQ(ReadWholeFile(elsewhere + "/tracks.txt"), kOldTracks);
  EXPECT_FALSE(std::filesystem::exists(elsewhere + "/new_WPT.txt"));
  for (const std::string& folder : {stage_.data(), elsewhere}) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
    }
  }
}

// An output name that is a link to the very input it is made from: writing
// through the link would put the conversion in place of the file being
// converted. Refused with the message before anything is written.
TEST_F(HostileFiles, AnOutputLinkedToItsOwnInputIsRefusedAndTheInputKept) {
  const std::string device = "1,2,3,\"a\",1\r\n1,2,3,\"b\",1\r\n1,2,3,\"w\",2\r\n";
  WriteWholeFile(stage_.DataFile("trace.zbx"), device);
  ASSERT_EQ(symlink("trace.zbx", stage_.DataFile("trace_TRK.txt").c_str()), 0);
  // The waypoint file alone linked back: nothing written either, the
  // track file included.
  WriteWholeFile(stage_.DataFile("marks.zbx"), device);
  WriteWholeFile(stage_.DataFile("marks_TRK.txt"), kOldTracks);
  ASSERT_EQ(symlink("marks.zbx", stage_.DataFile("marks_WPT.txt").c_str()), 0);
  const std::string chart = "T;Raz;1;1\r\nP;1;2;3\r\n";
  WriteWholeFile(stage_.DataFile("route_TRK.txt"), chart);
  ASSERT_EQ(symlink("route_TRK.txt", stage_.DataFile("route_TRK.asc").c_str()), 0);

  const ChildResult run = stage_.Convert({"trace.zbx", "marks.zbx", "route_TRK.txt"});
  ExpectNoCrash(run);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.out, "");
  constexpr const char* kOver = " : le fichier de sortie remplacerait le fichier converti";
  EXPECT_EQ(run.err, MessageLine("trace.zbx", kDeviceToChartError, std::string("trace_TRK.txt") + kOver) +
                         MessageLine("marks.zbx", kDeviceToChartError, std::string("marks_WPT.txt") + kOver) +
                         MessageLine("route_TRK.txt", kChartToDeviceError, std::string("route_TRK.asc") + kOver));
  EXPECT_EQ(ReadWholeFile(stage_.DataFile("trace.zbx")), device) << "the device file was replaced by its tracks";
  EXPECT_EQ(ReadWholeFile(stage_.DataFile("marks.zbx")), device) << "the device file was replaced by its waypoints";
  EXPECT_EQ(ReadWholeFile(stage_.DataFile("marks_TRK.txt")), kOldTracks);
  EXPECT_FALSE(FileExists(stage_.DataFile("trace_WPT.txt")));
  EXPECT_EQ(ReadWholeFile(stage_.DataFile("route_TRK.txt")), chart);
}

}  // namespace
}  // namespace tessaline::testing
