#include "convert/chart_to_device/chart_to_device_converter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/faulty_file_system.h"
#include "host/real_file_system.h"
#include "host/recording_host.h"
#include "support/temp_folder.h"

namespace tessaline {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tessaline::testing::FileExists;
using tessaline::testing::ReadWholeFile;
using tessaline::testing::TempFolder;
using tessaline::testing::WriteWholeFile;

const char kError[] = "error:Erreur dans le module de conversion Vestamar -> ZRB";
const char kStep1[] = "status:Etape N°1: Recherche du type de données";
const char kStep2[] = "status:Etape N°2: Nombre d'éléments";
const char kStep3[] = "status:Etape N°3: Mise en buffer";
const char kStep4[] = "status:Etape N°4: Enregistrement dans Fichier";

// Remembers lblFichiers as it stood at every yield, and can act on the disk
// at a chosen yield (to change the input between passes).
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
  ConversionOutcome Convert(const std::string& path) { return ConvertChartToDevice(host, path); }
  std::string Input(const std::string& name, const std::string& content) {
    const std::string path = folder.File(name);
    WriteWholeFile(path, content);
    return path;
  }
  // What a successful conversion shows once step 3 is over.
  static std::vector<std::string> Completion(const std::string& name) {
    return {"step:3", kStep4, "step:4", "inner:100%", "main:100 %",
            "done:Traitement du fichier " + name + " terminé."};
  }
  std::vector<std::string> LastEvents(std::size_t n) const {
    const auto& events = host.Events();
    return {events.end() - static_cast<std::ptrdiff_t>(std::min(n, events.size())), events.end()};
  }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder folder;
  RealFileSystem real;
  FaultyFileSystem files{real};
  ProbeHost host{files};
};

const char kThreeLineTrack[] =
    "T;Route;1;1\r\n"
    "P;-4.500000000000000;47.123000000000000;12.50;-9999;01/02/2024 10:00:00\r\n"
    "P;-4.600000000000000;47.200000000000000;3.00;-9999;01/02/2024 10:00:01\r\n";

TEST_F(ChartToDevice, ThreeLineTrackFileShowsTheWholePanelSequence) {
  const std::string path = Input("sortie_TRK.txt", kThreeLineTrack);
  EXPECT_EQ(Convert(path), ConversionOutcome::Completed);
  EXPECT_THAT(host.Events(),
              ElementsAre(kStep1, "step:1", kStep2, "step:2", kStep3, "main:33%", "main:66%",
                          "main:100%", "step:3", kStep4, "step:4", "inner:100%", "main:100 %",
                          "done:Traitement du fichier sortie_TRK.txt terminé."));
  // Detection stops at the header on line 1; then one yield per line and pass.
  EXPECT_EQ(host.yields(), 1 + 3 + 3);
  EXPECT_EQ(ReadWholeFile(folder.File("sortie_TRK.asc")),
            "47.123000000000000,-4.500000000000000,12.50,\"Route\"\r\n"
            "47.200000000000000,-4.600000000000000,3.00,\"Route\"\r\n");
}

TEST_F(ChartToDevice, PercentageIsTheWholePartOfLineOverTotalTimesHundred) {
  std::string content = "T;R;1;1\r\n";
  for (int i = 2; i <= 100; ++i) content += "P;1;2;3\r\n";
  ASSERT_EQ(Convert(Input("cent_TRK.txt", content)), ConversionOutcome::Completed);
  // Step 3's yield for line k + 1 sees what line k showed.
  auto shown_after_line = [&](int k) { return host.main_at_yield.at(static_cast<std::size_t>(100 + 1 + k)); };
  EXPECT_EQ(shown_after_line(29), "28%");
  EXPECT_EQ(shown_after_line(57), "56%");
  EXPECT_EQ(shown_after_line(58), "57%");
  EXPECT_EQ(shown_after_line(1), "1%");
  // Each text reaches the host once, in order.
  const auto main = host.EventsOf("main:");
  EXPECT_EQ(std::adjacent_find(main.begin(), main.end()), main.end());
  EXPECT_EQ(main.back(), "100 %");
}

TEST_F(ChartToDevice, LongFilesCountTheirLinesInFull) {
  const int total = 40000;  // past a 16-bit count
  std::string content = "T;R;1;1\r\n";
  for (int i = 2; i <= total; ++i) content += "P;1;2;3\r\n";
  ASSERT_EQ(Convert(Input("long_TRK.txt", content)), ConversionOutcome::Completed);
  auto shown_after_line = [&](int k) { return host.main_at_yield.at(static_cast<std::size_t>(total + 1 + k)); };
  EXPECT_EQ(shown_after_line(20000), "50%");
  EXPECT_EQ(shown_after_line(32768), "81%");
  EXPECT_EQ(shown_after_line(39999), "99%");
  EXPECT_EQ(host.EventsOf("main:").end()[-2], "100%");
  EXPECT_EQ(host.yields(), 1 + 2 * total);
  const std::string output = ReadWholeFile(folder.File("long_TRK.asc"));
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), total - 1);
}

TEST_F(ChartToDevice, TrackLineRules) {
  const std::string path = Input("regles_TRK.txt",
                                 "P;1;2;3;-9999;avant tout en-tête\r\n"
                                 "T;Pointe du Raz;1;1\r\n"
                                 "P;-4.5;47.1;12,50;-9999;s\r\n"
                                 "P;-4.6;47.2\r\n"
                                 "P;-4.7\r\n"
                                 "\r\n"
                                 "p;-4.8;47.3;1\r\n"
                                 "Pt;-4.8;47.3;1\r\n"
                                 "t;minuscule;1;1\r\n"
                                 "P; a, b ;c\"d;1e3\r"
                                 "T;;1;1\r\n"
                                 "P;x;y;z;-9999\r\n"
                                 "T\r\n"
                                 "P;u;v;w");
  ASSERT_EQ(Convert(path), ConversionOutcome::Completed);
  EXPECT_EQ(ReadWholeFile(folder.File("regles_TRK.asc")),
            "47.1,-4.5,12.50,\"Pointe du Raz\"\r\n"
            "47.2,-4.6,,\"Pointe du Raz\"\r\n"
            "c\"d, a, b ,1e3,\"Pointe du Raz\"\r\n"
            "y,x,z,\"\"\r\n"
            "v,u,w,\"\"\r\n");
}

TEST_F(ChartToDevice, WaypointLineRules) {
  const std::string path = Input(
      "regles_WPT.txt",
      "W;FORT;;-4.500000000000000;47.123000000000000;-9999;47.123000000000000;"
      "-4.500000000000000;0;C8;WGS84;2;1;18;255;1;0;3;Arial,8,0,0,0,0;0;65535;16;0;0\r\n"
      "W;Cinq;;-4.6;47.2\r\n"
      "W;Quatre;;-4.7\r\n"
      "w;minuscule;;1;2;3\r\n"
      "xW;Autre;;1;2;3\r\n"
      "P;Wharf;;1;2;3\r\n"
      "\r\n"
      "W;Anse, nord;;-4,8;47,3;1,5\r\n"
      "W;;;1;2;3\r\n");
  ASSERT_EQ(Convert(path), ConversionOutcome::Completed);
  EXPECT_EQ(ReadWholeFile(folder.File("regles_WPT.asc")),
            "47.123000000000000,-4.500000000000000,-9999,\"FORT\"\r\n"
            "47.2,-4.6,,\"Cinq\"\r\n"
            "47,3,-4,8,1.5,\"Anse, nord\"\r\n"
            "2,1,3,\"\"\r\n");
}

TEST_F(ChartToDevice, DetectionLooksForATrackHeaderLine) {
  // A header anywhere makes a track file: its waypoint lines are not used.
  ASSERT_EQ(Convert(Input("mixte.txt", "W;a;;1;2;3\r\nT;R;1;1\r\nP;4;5;6\r\n")),
            ConversionOutcome::Completed);
  EXPECT_EQ(ReadWholeFile(folder.File("mixte.asc")), "5,4,6,\"R\"\r\n");
  EXPECT_EQ(host.yields(), 2 + 3 + 3);  // detection stopped on line 2

  // "T;" inside lines, but no line of kind "T": a waypoint file.
  host.ClearEvents();
  ASSERT_EQ(Convert(Input("faux_WPT.txt", "W;FORT;;1;2;3\r\nW;PorT;;4;5;6\r\n")),
            ConversionOutcome::Completed);
  EXPECT_EQ(ReadWholeFile(folder.File("faux_WPT.asc")), "2,1,3,\"FORT\"\r\n5,4,6,\"PorT\"\r\n");
}

TEST_F(ChartToDevice, FileWithoutItemsGivesAnEmptyOutputAndTheUsualCompletion) {
  ASSERT_EQ(Convert(Input("vide_WPT.txt", "")), ConversionOutcome::Completed);
  EXPECT_THAT(host.Events(), ElementsAre(kStep1, "step:1", kStep2, "step:2", kStep3, "step:3",
                                         kStep4, "step:4", "inner:100%", "main:100 %",
                                         "done:Traitement du fichier vide_WPT.txt terminé."));
  EXPECT_TRUE(FileExists(folder.File("vide_WPT.asc")));
  EXPECT_EQ(ReadWholeFile(folder.File("vide_WPT.asc")), "");

  host.ClearEvents();
  ASSERT_EQ(Convert(Input("seul_TRK.txt", "T;R;1;1\r\n\r\n")), ConversionOutcome::Completed);
  EXPECT_EQ(LastEvents(6), Completion("seul_TRK.txt"));
  EXPECT_EQ(ReadWholeFile(folder.File("seul_TRK.asc")), "");
}

TEST_F(ChartToDevice, OutputLiesBesideTheInputAndReplacesAnOldOne) {
  std::filesystem::create_directory(folder.File("Données"));
  const std::string track = Input("Données/été_TRK.txt", kThreeLineTrack);
  const std::string waypoints = Input("Données/été_WPT.txt", "W;n;;1;2;3\r\n");
  WriteWholeFile(folder.File("Données/été_TRK.asc"), "ancien contenu bien plus long\r\n");

  ASSERT_EQ(Convert(track), ConversionOutcome::Completed);
  EXPECT_EQ(LastEvents(6), Completion("été_TRK.txt"));
  ASSERT_EQ(Convert(waypoints), ConversionOutcome::Completed);
  EXPECT_EQ(ReadWholeFile(folder.File("Données/été_TRK.asc")).substr(0, 19), "47.123000000000000,");
  EXPECT_EQ(ReadWholeFile(folder.File("Données/été_WPT.asc")), "2,1,3,\"n\"\r\n");
  EXPECT_THAT(FolderEntries(), ElementsAre("Données"));
  std::vector<std::string> inside;
  for (const auto& entry : std::filesystem::directory_iterator(folder.File("Données")))
    inside.push_back(entry.path().filename().string());
  std::sort(inside.begin(), inside.end());
  EXPECT_THAT(inside, ElementsAre("été_TRK.asc", "été_TRK.txt", "été_WPT.asc", "été_WPT.txt"));
}

TEST_F(ChartToDevice, InputThatCannotBeReadFailsInStepOne) {
  ASSERT_EQ(mkfifo(folder.File("tube_TRK.txt").c_str(), 0600), 0);
  std::filesystem::create_directory(folder.File("dossier_TRK.txt"));
  Input("illisible_TRK.txt", kThreeLineTrack);
  files.Fail(FsCall::Read, 0, "illisible");

  for (const std::string& path :
       {std::string(), folder.File("absent_TRK.txt"), folder.File("dossier_TRK.txt"),
        folder.File("tube_TRK.txt"), folder.File("illisible_TRK.txt")}) {
    SCOPED_TRACE(path);
    host.ClearEvents();
    EXPECT_EQ(Convert(path), ConversionOutcome::Failed);
    EXPECT_THAT(host.Events(), ElementsAre(kStep1, kError));
  }
  EXPECT_FALSE(FileExists(folder.File("illisible_TRK.asc")));
  EXPECT_FALSE(FileExists(folder.File("tube_TRK.asc")));
}

TEST_F(ChartToDevice, InputThatIsItsOwnOutputIsRefusedAndKept) {
  const std::string same = Input("trace.asc", kThreeLineTrack);
  // The output name of "y_TRK.txt" made another name for the input.
  const std::string linked = Input("y_TRK.txt", kThreeLineTrack);
  ASSERT_EQ(symlink(linked.c_str(), folder.File("y_TRK.asc").c_str()), 0);
  const std::string hard = Input("z_WPT.txt", "W;n;;1;2;3\r\n");
  ASSERT_EQ(link(hard.c_str(), folder.File("z_WPT.asc").c_str()), 0);

  for (const std::string& path : {same, linked, hard}) {
    SCOPED_TRACE(path);
    host.ClearEvents();
    EXPECT_EQ(Convert(path), ConversionOutcome::Failed);
    EXPECT_THAT(host.Events(), ElementsAre(kStep1, kError));
  }
  EXPECT_EQ(ReadWholeFile(same), kThreeLineTrack);
  EXPECT_EQ(ReadWholeFile(linked), kThreeLineTrack);
  EXPECT_EQ(ReadWholeFile(hard), "W;n;;1;2;3\r\n");
}

TEST_F(ChartToDevice, OutputThatCannotBeWrittenIsAFailureAndLeavesTheOldOne) {
  const std::string path = Input("trace_TRK.txt", kThreeLineTrack);
  for (FsCall call : {FsCall::CreateTemporary, FsCall::Write, FsCall::CloseOutput, FsCall::Rename}) {
    SCOPED_TRACE(FsCallName(call));
    WriteWholeFile(folder.File("trace_TRK.asc"), "ancien\r\n");
    files.Clear();
    files.Fail(call);
    host.ClearEvents();
    EXPECT_EQ(Convert(path), ConversionOutcome::Failed);
    EXPECT_EQ(LastEvents(3), (std::vector<std::string>{"step:3", kStep4, kError}));
    EXPECT_FALSE(host.step_finished[3]);
    EXPECT_FALSE(host.completion_shown);
    EXPECT_EQ(ReadWholeFile(folder.File("trace_TRK.asc")), "ancien\r\n");
    EXPECT_THAT(FolderEntries(), ElementsAre("trace_TRK.asc", "trace_TRK.txt"));
  }
}

struct Change {
  const char* name;
  int at_yield;  // 1 is detection's, 2 to 4 the counting pass', 5 to 7 the buffer pass'
  std::function<void(const std::string& input, const TempFolder& folder)> make;
  friend void PrintTo(const Change& change, std::ostream* out) { *out << change.name; }
};

class InputChangingBetweenPasses : public ChartToDevice,
                                   public ::testing::WithParamInterface<Change> {};

TEST_P(InputChangingBetweenPasses, EndsWithTheErrorAndNoOutput) {
  const std::string path = Input("trace_TRK.txt", kThreeLineTrack);
  host.on_yield = [&](int n) {
    if (n == GetParam().at_yield) GetParam().make(path, folder);
  };
  EXPECT_EQ(Convert(path), ConversionOutcome::Failed);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{kError});
  EXPECT_FALSE(host.completion_shown);
  EXPECT_FALSE(FileExists(folder.File("trace_TRK.asc")));
}

INSTANTIATE_TEST_SUITE_P(
    , InputChangingBetweenPasses,
    ::testing::Values(
        Change{"RemovedWhileCounting", 2,
               [](const std::string& input, const TempFolder&) { unlink(input.c_str()); }},
        Change{"RemovedWhileBuffering", 5,
               [](const std::string& input, const TempFolder&) { unlink(input.c_str()); }},
        Change{"GrownDuringDetection", 1,
               [](const std::string& input, const TempFolder&) {
                 WriteWholeFile(input, std::string(kThreeLineTrack) + "P;7;8;9\r\n");
               }},
        Change{"ReplacedByAnotherFileOfTheSameLength", 3,
               [](const std::string& input, const TempFolder& folder) {
                 const std::string other = folder.File("autre");
                 WriteWholeFile(other, kThreeLineTrack);
                 std::filesystem::rename(other, input);
               }},
        Change{"RewrittenInPlaceWithOtherLines", 3,
               [](const std::string& input, const TempFolder&) {
                 std::string text = kThreeLineTrack;
                 text[text.find("\r\n")] = ';';  // same length, one line fewer
                 WriteWholeFile(input, text);
               }},
        Change{"MadeADirectory", 4,
               [](const std::string& input, const TempFolder&) {
                 unlink(input.c_str());
                 std::filesystem::create_directory(input);
               }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChartToDevice, ReadFailureInALaterPassEndsWithTheError) {
  const std::string path = Input("trace_TRK.txt", kThreeLineTrack);
  for (int nth_open : {2, 3}) {
    SCOPED_TRACE(nth_open);
    files.Clear();
    files.Fail(FsCall::OpenRead, nth_open, "trace_TRK.txt");
    host.ClearEvents();
    EXPECT_EQ(Convert(path), ConversionOutcome::Failed);
    EXPECT_EQ(host.Events().back(), kError);
    EXPECT_EQ(host.Events().end()[-2], nth_open == 2 ? kStep2 : kStep3);
    EXPECT_FALSE(FileExists(folder.File("trace_TRK.asc")));
  }
}

class StopRequest : public ChartToDevice, public ::testing::WithParamInterface<int> {};

TEST_P(StopRequest, StopsAtOnceWithoutMessageOrOutput) {
  const std::string path = Input("trace_TRK.txt", kThreeLineTrack);
  WriteWholeFile(folder.File("trace_TRK.asc"), "ancien\r\n");
  host.StopAtYield(GetParam());
  EXPECT_EQ(Convert(path), ConversionOutcome::Stopped);
  EXPECT_EQ(host.yields(), GetParam());
  EXPECT_THAT(host.Messages(), IsEmpty());
  EXPECT_FALSE(host.completion_shown);
  EXPECT_THAT(host.EventsOf("step:4"), IsEmpty());
  EXPECT_EQ(ReadWholeFile(folder.File("trace_TRK.asc")), "ancien\r\n");
  EXPECT_THAT(FolderEntries(), ElementsAre("trace_TRK.asc", "trace_TRK.txt"));
}

// In detection, in the counting pass, in the buffer pass and at its last line.
INSTANTIATE_TEST_SUITE_P(, StopRequest, ::testing::Values(1, 2, 5, 7));

}  // namespace
}  // namespace tessaline
