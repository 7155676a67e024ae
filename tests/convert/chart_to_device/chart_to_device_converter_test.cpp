#include "convert/chart_to_device/chart_to_device_converter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "support/faulty_file_system.h"
#include "host/real_file_system.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

namespace tessaline {
namespace {

using ::testing::ElementsAre;
using namespace tessaline::testing;

const char kError[] = "error:Erreur dans le module de conversion Vestamar -> ZRB";
const char kStep1[] = "status:Etape N°1: Recherche du type de données";
const char kStep4[] = "status:Etape N°4: Enregistrement dans Fichier";
const char kTrack[] =
    "T;Route;1;1\r\n"
    "P;-4.500000000000000;47.123000000000000;12.50;-9999;01/02/2024 10:00:00\r\n"
    "P;-4.6;47.2;3,00;-9999;01/02/2024 10:00:01\r\n";

// Keeps lblFichiers as it stood at each yield and can act at a chosen one.
class ProbeHost : public RecordingHost {
 public:
  using RecordingHost::RecordingHost;
  bool Yield() override {
    main_at_yield.push_back(main_percentage);
    if (on_yield) on_yield(static_cast<int>(main_at_yield.size()));
    return RecordingHost::Yield();
  }
  std::vector<std::string> main_at_yield;
  std::function<void(int)> on_yield;
};

class ChartToDevice : public ::testing::Test {
 protected:
  std::string Input(const std::string& name, const std::string& content) {
    WriteWholeFile(folder.File(name), content);
    return folder.File(name);
  }
  ConversionOutcome Convert(const std::string& path) {
    host.ClearEvents();
    return ConvertChartToDevice(host, path);
  }
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
      names.insert(entry.path().filename().string());
    return names;
  }
  TempFolder folder;
  RealFileSystem real;
  FaultyFileSystem files{real};
  ProbeHost host{files};
};

TEST_F(ChartToDevice, ThreeLineTrackFileShowsTheWholePanelSequence) {
  ASSERT_EQ(Convert(Input("sortie_TRK.txt", kTrack)), ConversionOutcome::Completed);
  EXPECT_THAT(host.Events(),
              ElementsAre(kStep1, "step:1", "status:Etape N°2: Nombre d'éléments", "step:2",
                          "status:Etape N°3: Mise en buffer", "main:33%", "main:66%", "main:100%",
                          "step:3", kStep4, "step:4", "inner:100%", "main:100 %",
                          "done:Traitement du fichier sortie_TRK.txt terminé."));
  EXPECT_EQ(host.yields(), 1 + 3 + 3);  // detection stops at the header on line 1
  EXPECT_EQ(ReadWholeFile(folder.File("sortie_TRK.asc")),
            "47.123000000000000,-4.500000000000000,12.50,\"Route\"\r\n"
            "47.2,-4.6,3.00,\"Route\"\r\n");
}

TEST_F(ChartToDevice, PercentageIsLineOverTotalTimesHundredRoundedDownInFullCounts) {
  for (int total : {100, 40000}) {
    std::string content = "T;R;1;1\r\n";
    for (int i = 2; i <= total; ++i) content += "P;1;2;3\r\n";
    ASSERT_EQ(Convert(Input("n_TRK.txt", content)), ConversionOutcome::Completed);
    // The buffer pass' yield for line k + 1 sees what line k showed.
    auto after_line = [&](int k) { return host.main_at_yield.at(std::size_t(total + 1 + k)); };
    if (total == 100) {
      EXPECT_EQ(after_line(29), "28%");
      EXPECT_EQ(after_line(57), "56%");
      EXPECT_EQ(after_line(58), "57%");
    } else {  // beyond a 16-bit count
      EXPECT_EQ(after_line(20000), "50%");
      EXPECT_EQ(after_line(32768), "81%");
    }
    const auto main = host.EventsOf("main:");  // each text sent once
    EXPECT_EQ(std::adjacent_find(main.begin(), main.end()), main.end());
    EXPECT_EQ(main.end()[-2], "100%");
    host.main_at_yield.clear();
  }
}

struct Case {
  const char* name;
  std::string content;
  std::string expected;
  friend void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }
};
class LineRules : public ChartToDevice, public ::testing::WithParamInterface<Case> {};

// Each input is named after its kind; an old output of that name is replaced.
TEST_P(LineRules, GiveTheDeviceFileBesideTheInputAndTheUsualCompletion) {
  const std::string input = std::string(GetParam().name) + ".txt";
  const std::string output = folder.File(std::string(GetParam().name) + ".asc");
  WriteWholeFile(output, "ancien contenu plus long que le nouveau\r\n");
  ASSERT_EQ(Convert(Input(input, GetParam().content)), ConversionOutcome::Completed);
  EXPECT_EQ(ReadWholeFile(output), GetParam().expected);
  EXPECT_EQ(host.Events().back(), "done:Traitement du fichier " + input + " terminé.");
  EXPECT_EQ(Entries().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    , LineRules,
    ::testing::Values(
        Case{"Track_TRK",
             "P;1;2;3;-9999;before any header\r\n"
             "T;Pointe du Raz;1;1\r\nP;-4.5;47.1;12,50;-9999;s\r\nP;-4.6;47.2\r\nP;-4.7\r\n\r\n"
             "p;-4.8;47.3;1\r\nPt;1;2;3\r\nt;low;1;1\r\nP; a, b ;c\"d;1e3\r"
             "T;;1;1\r\nP;x;y;z;-9999\r\nT\r\nP;u;v;w",
             "47.1,-4.5,12.50,\"Pointe du Raz\"\r\n47.2,-4.6,,\"Pointe du Raz\"\r\n"
             "c\"d, a, b ,1e3,\"Pointe du Raz\"\r\ny,x,z,\"\"\r\nv,u,w,\"\"\r\n"},
        Case{"Waypoint_WPT",
             "W;FORT;;-4.5;47.1;-9999;47.1;-4.5;0;C8;WGS84;2;1;18;255;1;0;3;Arial,8,0,0,0,0;0;"
             "65535;16;0;0\r\nW;Cinq;;-4.6;47.2\r\nW;Quatre;;-4.7\r\nw;low;;1;2;3\r\n"
             "xW;Other;;1;2;3\r\nP;Wharf;;1;2;3\r\n\r\nW;Anse, nord;;-4,8;47,3;1,5\r\nW;;;1;2;3",
             "47.1,-4.5,-9999,\"FORT\"\r\n47.2,-4.6,,\"Cinq\"\r\n47,3,-4,8,1.5,\"Anse, nord\"\r\n"
             "2,1,3,\"\"\r\n"},
        Case{"TrackHeaderAfterWaypoints", "W;a;;1;2;3\r\nT;R;1;1\r\nP;4;5;6\r\n", "5,4,6,\"R\"\r\n"},
        Case{"HeaderOnly", "T;R;1;1\r\n", ""},
        Case{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

#ifndef _WIN32  // FIFOs and symbolic links are POSIX matters
TEST_F(ChartToDevice, InputThatCannotBeReadFailsInStepOne) {
  ASSERT_EQ(mkfifo(folder.File("tube_TRK.txt").c_str(), 0600), 0);
  std::filesystem::create_directory(folder.File("dossier_TRK.txt"));
  files.Fail(FsCall::Read, 0, "illisible");
  for (const std::string& path : {std::string(), folder.File("absent_TRK.txt"), folder.File("dossier_TRK.txt"),
                                  folder.File("tube_TRK.txt"), Input("illisible_TRK.txt", kTrack)}) {
    EXPECT_EQ(Convert(path), ConversionOutcome::Failed) << path;
    EXPECT_THAT(host.Events(), ElementsAre(kStep1, kError)) << path;
  }
  EXPECT_EQ(Entries(), (std::set<std::string>{"dossier_TRK.txt", "illisible_TRK.txt", "tube_TRK.txt"}));
}

TEST_F(ChartToDevice, InputThatIsItsOwnOutputIsRefusedAndKept) {
  const std::string same = Input("trace.asc", kTrack);
  const std::string linked = Input("y_TRK.txt", kTrack);
  ASSERT_EQ(symlink(linked.c_str(), folder.File("y_TRK.asc").c_str()), 0);
  const std::string hard = Input("z_WPT.txt", kTrack);
  ASSERT_EQ(link(hard.c_str(), folder.File("z_WPT.asc").c_str()), 0);
  for (const std::string& path : {same, linked, hard}) {
    EXPECT_EQ(Convert(path), ConversionOutcome::Failed) << path;
    EXPECT_THAT(host.Events(), ElementsAre(kStep1, kError)) << path;
    EXPECT_EQ(ReadWholeFile(path), kTrack);
  }
}
#endif

TEST_F(ChartToDevice, OutputThatCannotBeWrittenIsAFailureAndLeavesTheOldOne) {
  const std::string path = Input("trace_TRK.txt", kTrack);
  for (FsCall call : {FsCall::CreateTemporary, FsCall::Write, FsCall::CloseOutput, FsCall::Rename}) {
    WriteWholeFile(folder.File("trace_TRK.asc"), "ancien\r\n");
    files.Fail(call);
    EXPECT_EQ(Convert(path), ConversionOutcome::Failed);
    files.Clear();
    EXPECT_EQ(host.Events().end()[-2], kStep4);
    EXPECT_EQ(host.Events().back(), kError);
    EXPECT_FALSE(host.step_finished[3] || host.completion_shown);
    EXPECT_EQ(ReadWholeFile(folder.File("trace_TRK.asc")), "ancien\r\n") << FsCallName(call);
    EXPECT_EQ(Entries(), (std::set<std::string>{"trace_TRK.asc", "trace_TRK.txt"}));
  }
}

constexpr const char* kChanged = "le fichier a changé pendant la conversion";

struct Change {
  const char* name;
  int at_yield;  // 1 in detection, 2 to 4 in the counting pass, 5 to 7 in the buffer pass
  std::function<void(const std::string& input)> make;
  const char* reason;  // what the error message says under it
  friend void PrintTo(const Change& change, std::ostream* out) { *out << change.name; }
};
class InputChangingBetweenPasses : public ChartToDevice, public ::testing::WithParamInterface<Change> {};

TEST_P(InputChangingBetweenPasses, EndsWithTheErrorAndNoOutput) {
#ifdef _WIN32
  // Windows refuses to replace a file that is open, or to reuse its name.
  if (std::string_view(GetParam().name) == "ReplacedBySameLength" ||
      std::string_view(GetParam().name) == "MadeADirectory") {
    GTEST_SKIP() << "an open file cannot be replaced on Windows";
  }
#endif
  const std::string path = Input("trace_TRK.txt", kTrack);
  host.on_yield = [&](int n) { if (n == GetParam().at_yield) GetParam().make(path); };
  EXPECT_EQ(Convert(path), ConversionOutcome::Failed);
  EXPECT_EQ(host.Events().back(), kError);
  EXPECT_EQ(host.notes.back().reason, std::string("trace_TRK.txt : ") + GetParam().reason);
  EXPECT_FALSE(host.completion_shown || FileExists(folder.File("trace_TRK.asc")));
}

INSTANTIATE_TEST_SUITE_P(
    , InputChangingBetweenPasses,
    ::testing::Values(
        Change{"Removed", 5, [](const std::string& input) { unlink(input.c_str()); },
               "Aucun fichier ou dossier de ce type"},
        Change{"Grown", 1, [](const std::string& input) { WriteWholeFile(input, kTrack + std::string("P;7;8;9\r\n")); },
               kChanged},
        Change{"ReplacedBySameLength", 3,
               [](const std::string& input) {
                 WriteWholeFile(input + ".new", kTrack);
                 std::filesystem::rename(input + ".new", input);
               },
               kChanged},
        Change{"RewrittenWithOtherLines", 3,
               [](const std::string& input) {
                 std::string text = kTrack;
                 text[text.find("\r\n")] = ';';  // same length, one line fewer
                 WriteWholeFile(input, text);
               },
               kChanged},
        Change{"MadeADirectory", 4,
               [](const std::string& input) {
                 unlink(input.c_str());
                 std::filesystem::create_directory(input);
               },
               "est un dossier"}),
    [](const auto& info) { return std::string(info.param.name); });

class StopRequest : public ChartToDevice, public ::testing::WithParamInterface<int> {};

TEST_P(StopRequest, StopsAtOnceWithoutMessageOrOutput) {
  const std::string path = Input("trace_TRK.txt", kTrack);
  WriteWholeFile(folder.File("trace_TRK.asc"), "ancien\r\n");
  host.StopAtYield(GetParam());
  EXPECT_EQ(Convert(path), ConversionOutcome::Stopped);
  EXPECT_EQ(host.yields(), GetParam());
  EXPECT_THAT(host.Messages(), ::testing::IsEmpty());
  EXPECT_FALSE(host.step_finished[2] || host.completion_shown);
  EXPECT_EQ(ReadWholeFile(folder.File("trace_TRK.asc")), "ancien\r\n");
  EXPECT_EQ(Entries(), (std::set<std::string>{"trace_TRK.asc", "trace_TRK.txt"}));
}

// In detection, in the counting pass, in the buffer pass and at its last line.
INSTANTIATE_TEST_SUITE_P(, StopRequest, ::testing::Values(1, 2, 5, 7));

}  // namespace
}  // namespace tessaline
