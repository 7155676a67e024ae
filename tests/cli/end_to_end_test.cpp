// tessaline-convert as users run it: the real program on temporary files.
// Each test runs its own copy of the program from its own folder, so the
// staging store it keeps beside itself is the test's alone and can be
// checked for leftovers.

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "program_run.h"
#include "support/temp_folder.h"

namespace tessaline::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDevicePoints =
    "-4.5,47.123,12.5,\"Pointe\",7\r\n"
    "-4.51,47.124,13,\"Suite\",7\r\n"
    "-4.52,47.125,14.25,\"Fin\",7\r\n"
    "-4.6,47.2,0,\"Bouée\",4\r\n";
constexpr const char* kWaypointOfDevicePoints =
    "W;Bouée;;47.200000000000000;-4.600000000000000;-9999;-4.600000000000000;47.200000000000000;"
    "0;C8;WGS84;2;1;18;255;1;0;3;Arial,8,0,0,0,0;0;65535;16;0;0\r\n";

// Written under French settings: the value carries a decimal comma.
constexpr const char* kTrackFile =
    "T;Raz de Sein;1;1\r\n"
    "P;48.04;-4.74;12,50;-9999;14/06/2024 10:00:00\r\n"
    "P;48.05;-4.75;3.00;-9999;14/06/2024 10:00:01\r\n";
constexpr const char* kDeviceOfTrackFile =
    "-4.74,48.04,12.50,\"Raz de Sein\"\r\n"
    "-4.75,48.05,3.00,\"Raz de Sein\"\r\n";

constexpr const char* kWaypointFile =
    "W;Cardinale Nord;;47.5;-4.25;-9999;-4.25;47.5;0;C8;WGS84;2;1;18;255;1;0;3;Arial,8,0,0,0,0;0;65535;16;0;0\r\n";
constexpr const char* kDeviceOfWaypointFile = "-4.25,47.5,-9999,\"Cardinale Nord\"\r\n";

constexpr const char* kChartError = "Erreur dans le module de conversion Vestamar -> ZRB";
constexpr const char* kDeviceError = "Erreur dans le module de conversion ZRB -> Vestamar";
constexpr const char* kFormatMessage = "Problème de format: Ce fichier ne peut pas être traité.";

// The end of an error line for a file that does not exist.
std::string AbsentReason(const std::string& name) {
  return " : " + name + " : Aucun fichier ou dossier de ce type\n";
}

// The writers may end a file with one further line end.
::testing::AssertionResult IsDeviceFile(const std::string& content, const std::string& lines) {
  if (content == lines || content == lines + "\r\n") return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "content:\n" << content << "\nexpected:\n" << lines;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"bin", "data", "home", "cache"}) fs::create_directory(root_.File(folder));
    program_ = root_.File("bin/tessaline-convert");
    if (link(TESSALINE_CONVERT_BINARY, program_.c_str()) != 0) {
      fs::copy_file(TESSALINE_CONVERT_BINARY, program_);
      chmod(program_.c_str(), 0755);
    }
  }

  std::vector<std::string> Environment(const std::vector<std::string>& locale) const {
    std::vector<std::string> environment{"PATH=/usr/bin:/bin", "HOME=" + root_.File("home"),
                                         "XDG_CACHE_HOME=" + root_.File("cache")};
    environment.insert(environment.end(), locale.begin(), locale.end());
    return environment;
  }

  ProgramRun Run(const std::vector<std::string>& arguments,
                 const std::vector<std::string>& locale = {"LC_ALL=C"}) {
    ProgramCall call;
    call.arguments = arguments;
    call.environment = Environment(locale);
    call.folder = Data("");
    return RunProgram(program_, call);
  }

  std::string Data(const std::string& name) const { return root_.File("data/" + name); }
  void Write(const std::string& name, const std::string& content) { WriteWholeFile(Data(name), content); }
  std::string Read(const std::string& name) const { return ReadWholeFile(Data(name)); }

  static std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      names.insert(fs::relative(entry.path(), folder).string());
    }
    return names;
  }
  std::set<std::string> DataFiles() const { return Names(Data("")); }
  // The program's own folder holds at most the lock beside the program once
  // a run is over: the shared store goes at the end of a good run, and a
  // private one always.
  std::set<std::string> ProgramFolderLeftovers() const {
    std::set<std::string> names = Names(root_.File("bin"));
    names.erase("tessaline-convert");
    names.erase("ZRB_DB.lock");
    return names;
  }

  TempFolder root_;
  std::string program_;
};

TEST_F(CommandLine, DeviceFileBecomesTrackAndWaypointFilesBesideIt) {
  Write("trace.zbx", kDevicePoints);
  const ProgramRun run = Run({"trace.zbx"});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.out, "Traitement du fichier trace.zbx terminé.\n1 trace (3 points), 1 waypoint\n");
  EXPECT_EQ(run.err, "");
  const std::string track = Read("trace_TRK.txt");
  EXPECT_EQ(track.rfind("T;Pointe;1;1\r\nP;47.123000000000000;-4.500000000000000;12.50;-9999;", 0), 0u)
      << track;
  EXPECT_TRUE(Contains(track, "\r\nP;47.125000000000000;-4.520000000000000;14.25;-9999;")) << track;
  EXPECT_TRUE(IsDeviceFile(Read("trace_WPT.txt"), kWaypointOfDevicePoints));
  EXPECT_EQ(ProgramFolderLeftovers(), std::set<std::string>{});
}

TEST_F(CommandLine, PointValuesFollowTheUsersLocale) {
  struct Case {
    std::vector<std::string> locale;
    const char* value;
  };
  const std::vector<Case> cases{
      {{"LC_ALL=C"}, "12.50"},
      {{"LC_ALL=fr_FR.UTF-8"}, "12,50"},
      {{"LANG=fr_FR.UTF-8"}, "12,50"},
      {{"LANG=C", "LC_NUMERIC=fr_FR.UTF-8"}, "12,50"},
      {{"LANG=fr_FR.UTF-8", "LC_ALL=C"}, "12.50"},
      {{}, "12.50"},
      {{"LC_ALL=xx_XX.UTF-8"}, "12.50"},  // not installed
  };
  Write("Île été.zbx", kDevicePoints);
  for (const Case& c : cases) {
    const std::string what = c.locale.empty() ? "no locale" : c.locale.back();
    const ProgramRun run = Run({"Île été.zbx", "absent.zbx"}, c.locale);
    EXPECT_EQ(run.exit_status, 1) << what;
    EXPECT_TRUE(Contains(Read("Île été_TRK.txt"), ";-4.500000000000000;" + std::string(c.value) + ";-9999;"))
        << what;
    // Coordinates keep their "." and the texts their UTF-8 in every locale.
    EXPECT_EQ(run.out, "Traitement du fichier Île été.zbx terminé.\n1 trace (3 points), 1 waypoint\n")
        << what;
    EXPECT_EQ(run.err, "tessaline-convert: absent.zbx: " + std::string(kDeviceError) + AbsentReason("absent.zbx"))
        << what;
  }
}

TEST_F(CommandLine, ChartFilesBecomeDeviceFiles) {
  Write("raz_TRK.txt", kTrackFile);
  Write("balises_WPT.txt", kWaypointFile);
  const ProgramRun run = Run({"raz_TRK.txt", "balises_WPT.txt"}, {"LC_ALL=fr_FR.UTF-8"});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.out,
            "Traitement du fichier raz_TRK.txt terminé.\n1 trace (2 points)\n"
            "Traitement du fichier balises_WPT.txt terminé.\n1 waypoint\n");
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(IsDeviceFile(Read("raz_TRK.asc"), kDeviceOfTrackFile));
  EXPECT_TRUE(IsDeviceFile(Read("balises_WPT.asc"), kDeviceOfWaypointFile));
}

TEST_F(CommandLine, DirectionFollowsTheFileNameInAnyCase) {
  // An upper-case device file name, as device media store them, is a
  // device file.
  Write("TRACE.ZBX", kDevicePoints);
  const ProgramRun upper = Run({"TRACE.ZBX"});
  EXPECT_EQ(upper.exit_status, 0) << upper.err;
  EXPECT_TRUE(Contains(Read("TRACE_TRK.txt"), "T;Pointe;1;1\r\n"));

  Write("relevé_zbx", kDevicePoints);
  const ProgramRun underscore = Run({"relevé_zbx"});
  EXPECT_EQ(underscore.exit_status, 0) << underscore.err;
  EXPECT_TRUE(Contains(Read("relevé_TRK.txt"), "T;Pointe;1;1\r\n"));
}

TEST_F(CommandLine, ChosenDirectionOverridesTheFileNameAndDoubleDashEndsTheOptions) {
  // A chart file that happens to be named like a device file.
  Write("notes.zbx", kTrackFile);
  const ProgramRun to_device = Run({"-d", "notes.zbx"});
  EXPECT_EQ(to_device.exit_status, 0) << to_device.err;
  EXPECT_TRUE(IsDeviceFile(Read("notes.asc"), kDeviceOfTrackFile));
  EXPECT_FALSE(FileExists(Data("notes_TRK.txt")));

  Write("raz_TRK.txt", kTrackFile);
  const ProgramRun to_chart = Run({"raz_TRK.txt", "--to-chart"});
  EXPECT_EQ(to_chart.exit_status, 1);
  EXPECT_EQ(to_chart.err, "tessaline-convert: raz_TRK.txt: " + std::string(kFormatMessage) + "\n");
  EXPECT_FALSE(FileExists(Data("raz_TRK.asc")));

  Write("-q_TRK.txt", kTrackFile);
  const ProgramRun dash = Run({"--", "-q_TRK.txt"});
  EXPECT_EQ(dash.out, "Traitement du fichier -q_TRK.txt terminé.\n1 trace (2 points)\n");
  EXPECT_TRUE(IsDeviceFile(Read("-q_TRK.asc"), kDeviceOfTrackFile));
}

TEST_F(CommandLine, UsageErrorsHelpAndVersionConvertNothing) {
  Write("trace.zbx", kDevicePoints);
  Write("raz_TRK.txt", kTrackFile);
  const std::vector<std::vector<std::string>> usages{
      {"-c", "-d", "trace.zbx"}, {"raz_TRK.txt", "--bogus"}, {"trace.zbx", "-x"},
      {"--quiet=oui", "trace.zbx"}, {}, {"-q"}, {"--to", "trace.zbx"}};
  for (const auto& arguments : usages) {
    const std::string what = arguments.empty() ? "(nothing)" : arguments.front();
    const ProgramRun run = Run(arguments);
    EXPECT_EQ(run.exit_status, 2) << what;
    EXPECT_EQ(run.out, "") << what;
    EXPECT_EQ(run.err.rfind("tessaline-convert: ", 0), 0u) << what << run.err;
    EXPECT_TRUE(Contains(run.err, "\nSaisissez « tessaline-convert --help » pour plus d'informations.\n"))
        << what << run.err;
    EXPECT_EQ(DataFiles(), (std::set<std::string>{"trace.zbx", "raz_TRK.txt"})) << what;
  }
  const ProgramRun help = Run({"trace.zbx", "--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_EQ(help.out.rfind("Utilisation : tessaline-convert [OPTION]... FICHIER...\n", 0), 0u);
  EXPECT_EQ(help.err, "");
  const ProgramRun version = Run({"-V", "trace.zbx"});
  EXPECT_EQ(version.out, "tessaline-convert (Tessaline Pro) 4.0.0\n");
  EXPECT_EQ(DataFiles(), (std::set<std::string>{"trace.zbx", "raz_TRK.txt"}));
}

// Help or version that cannot be written (a full disk, a closed pipe) is a
// failure, said on stderr, as GNU tools do.
TEST_F(CommandLine, HelpAndVersionIntoAFullOutputFail) {
  for (const char* option : {"--help", "-V"}) {
    ProgramCall call;
    call.arguments = {option};
    call.stdout_path = "/dev/full";
    const ProgramRun run = RunProgram(program_, call);
    EXPECT_EQ(run.exit_status, 1) << option;
    EXPECT_EQ(run.err, "tessaline-convert: erreur d'écriture sur la sortie standard\n") << option;
  }
}

TEST_F(CommandLine, QuietHidesCaptionsButNeverErrors) {
  Write("raz_TRK.txt", kTrackFile);
  const ProgramRun run = Run({"raz_TRK.txt", "absent_TRK.txt", "-q"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "tessaline-convert: absent_TRK.txt: " + std::string(kChartError) + AbsentReason("absent_TRK.txt"));
  EXPECT_TRUE(IsDeviceFile(Read("raz_TRK.asc"), kDeviceOfTrackFile));
}

TEST_F(CommandLine, RelativePathsWriteBesideTheInputAndMessagesNameThePathAsGiven) {
  fs::create_directories(Data("sorties/jour 1"));
  Write("sorties/jour 1/raz_TRK.txt", kTrackFile);
  Write("sorties/jour 1/trace.zbx", kDevicePoints);
  const ProgramRun run =
      Run({"sorties/jour 1/raz_TRK.txt", "./sorties/../sorties/jour 1/trace.zbx", "sorties/absent.zbx"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.out,
            "Traitement du fichier raz_TRK.txt terminé.\n1 trace (2 points)\n"
            "Traitement du fichier trace.zbx terminé.\n1 trace (3 points), 1 waypoint\n");
  EXPECT_EQ(run.err,
            "tessaline-convert: sorties/absent.zbx: " + std::string(kDeviceError) + AbsentReason("absent.zbx"));
  EXPECT_TRUE(IsDeviceFile(Read("sorties/jour 1/raz_TRK.asc"), kDeviceOfTrackFile));
  EXPECT_TRUE(FileExists(Data("sorties/jour 1/trace_TRK.txt")));
  EXPECT_TRUE(FileExists(Data("sorties/jour 1/trace_WPT.txt")));
}

TEST_F(CommandLine, AFileThatFailsDoesNotKeepTheOthersFromConverting) {
  Write("un.zbx", kDevicePoints);
  Write("deux_TRK.txt", kTrackFile);
  Write("vide_dedans.zbx", "-4.5,47.1,1,\"A\",1\r\n\r\n-4.5,47.1,1,\"B\",2\r\n");  // an empty line
  Write("trois_WPT.txt", kWaypointFile);
  fs::create_directory(Data("dossier_TRK.txt"));
  const ProgramRun run = Run({"un.zbx", "manquant.zbx", "deux_TRK.txt", "vide_dedans.zbx",
                              "dossier_TRK.txt", "trois_WPT.txt"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.out,
            "Traitement du fichier un.zbx terminé.\n1 trace (3 points), 1 waypoint\n"
            "Traitement du fichier deux_TRK.txt terminé.\n1 trace (2 points)\n"
            "Traitement du fichier trois_WPT.txt terminé.\n1 waypoint\n");
  EXPECT_EQ(run.err,
            "tessaline-convert: manquant.zbx: " + std::string(kDeviceError) + AbsentReason("manquant.zbx") +
                "tessaline-convert: vide_dedans.zbx: " + kDeviceError +
                " : ligne 2 : moins de quatre champs\n" +
                "tessaline-convert: dossier_TRK.txt: " + kChartError + " : dossier_TRK.txt : est un dossier\n");
  EXPECT_TRUE(FileExists(Data("un_TRK.txt")));
  EXPECT_TRUE(IsDeviceFile(Read("deux_TRK.asc"), kDeviceOfTrackFile));
  EXPECT_TRUE(IsDeviceFile(Read("trois_WPT.asc"), kDeviceOfWaypointFile));
}

TEST_F(CommandLine, ProgressShowsOnlyOnATerminalAndIsErasedBeforeTheOutcome) {
  Write("raz_TRK.txt", kTrackFile);
  Write("trace.zbx", kDevicePoints);
  Write("coupe.zbx", "-4.5,47.1,1,\"A\",1\r\n-4.5,47.1\r\n");  // second line too short
  ProgramCall call;
  call.environment = Environment({"LC_ALL=C"});
  call.folder = Data("");
  call.stderr_on_terminal = true;

  call.arguments = {"raz_TRK.txt", "trace.zbx"};
  const ProgramRun shown = RunProgram(program_, call);
  EXPECT_EQ(shown.exit_status, 0);
  EXPECT_EQ(shown.out,
            "Traitement du fichier raz_TRK.txt terminé.\n1 trace (2 points)\n"
            "Traitement du fichier trace.zbx terminé.\n1 trace (3 points), 1 waypoint\n");
  EXPECT_TRUE(Contains(shown.err, "\rraz_TRK.txt: Etape N°1: Recherche du type de données")) << shown.err;
  EXPECT_TRUE(Contains(shown.err, "\rtrace.zbx: Etape N°1: Mise en mémoire")) << shown.err;
  // Nothing but redrawn lines, and the last one erased.
  EXPECT_FALSE(Contains(shown.err, "\n")) << shown.err;
  ASSERT_FALSE(shown.err.empty());
  const std::size_t last_return = shown.err.rfind('\r', shown.err.size() - 2);
  EXPECT_EQ(shown.err.substr(last_return + 1, shown.err.size() - last_return - 2).find_first_not_of(' '),
            std::string::npos)
      << shown.err;
  EXPECT_EQ(shown.err.back(), '\r');

  call.arguments = {"coupe.zbx"};
  const ProgramRun failed = RunProgram(program_, call);
  EXPECT_EQ(failed.exit_status, 1);
  const std::string line =
      "tessaline-convert: coupe.zbx: " + std::string(kDeviceError) + " : ligne 2 : moins de quatre champs\n";
  EXPECT_TRUE(Contains(failed.err, "\rcoupe.zbx: Etape N°1: Mise en mémoire")) << failed.err;
  ASSERT_GT(failed.err.size(), line.size());
  EXPECT_EQ(failed.err.substr(failed.err.size() - line.size() - 1), "\r" + line) << failed.err;

  call.arguments = {"-q", "raz_TRK.txt", "trace.zbx"};
  const ProgramRun quiet = RunProgram(program_, call);
  EXPECT_EQ(quiet.exit_status, 0);
  EXPECT_EQ(quiet.out, "");
  EXPECT_EQ(quiet.err, "");
}

TEST_F(CommandLine, CtrlCStopsTheRunCleanlyAndEndsByTheSignal) {
  // Many conversions of one big file: far more work than the signal takes
  // to arrive, wherever it lands (inside a file or between two).
  std::string track = "T;Iroise;1;1\r\n";
  std::string device;
  for (int i = 0; i < 50000; ++i) {
    track += "P;48.0" + std::to_string(10000 + i) + ";-4.7" + std::to_string(10000 + i) + ";5,25;-9999;14/06/2024 10:00:00\r\n";
    device += "-4.7" + std::to_string(10000 + i) + ",48.0" + std::to_string(10000 + i) + ",5.25,\"Iroise\"\r\n";
  }
  Write("grand_TRK.txt", track);
  ProgramCall call;
  call.arguments.assign(300, "grand_TRK.txt");
  call.environment = Environment({"LC_ALL=C"});
  call.folder = Data("");
  call.stderr_on_terminal = true;
  call.signal_once_written = SIGINT;
  const ProgramRun run = RunProgram(program_, call);
  EXPECT_EQ(run.signal, SIGINT) << "exit status " << run.exit_status;
  // It stopped on its own rather than dying mid-line: the progress line was erased.
  ASSERT_GE(run.err.size(), 2u);
  EXPECT_EQ(run.err.back(), '\r');
  const std::size_t erase = run.err.rfind('\r', run.err.size() - 2);
  ASSERT_NE(erase, std::string::npos);
  EXPECT_EQ(run.err.find_first_not_of(' ', erase + 1), run.err.size() - 1) << run.err;
  EXPECT_LT(run.out.size(), 300 * std::string("Traitement du fichier grand_TRK.txt terminé.\n").size());
  // No temporary file left, and the output is whole if it is there at all.
  std::set<std::string> files = DataFiles();
  files.erase("grand_TRK.asc");
  EXPECT_EQ(files, std::set<std::string>{"grand_TRK.txt"});
  if (FileExists(Data("grand_TRK.asc"))) {
    EXPECT_TRUE(IsDeviceFile(Read("grand_TRK.asc"), device));
  }
}

TEST_F(CommandLine, LostCompletionLinesAreAFailure) {
  Write("raz_TRK.txt", kTrackFile);
  ProgramCall call;
  call.arguments = {"raz_TRK.txt"};
  call.environment = Environment({"LC_ALL=C"});
  call.folder = Data("");
  call.stdout_path = "/dev/full";
  const ProgramRun run = RunProgram(program_, call);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, "tessaline-convert: erreur d'écriture sur la sortie standard\n");
  EXPECT_TRUE(IsDeviceFile(Read("raz_TRK.asc"), kDeviceOfTrackFile));
}

// Device file number `file`: 30 tracks of 99 points, each followed by a
// waypoint, every coordinate telling which file and which point it is. A
// store shared by two runs would mix them up; `points` gets the P lines
// expected, without their time stamps.
std::string ParallelDeviceFile(int file, std::vector<std::string>& points) {
  std::string content;
  char line[96];
  for (int point = 0; point < 3000; ++point) {
    const int group = point % 100 < 99 ? 2 * (point / 100) + 1 : 2 * (point / 100) + 2;
    std::snprintf(line, sizeof line, "-4.%02d%04d,47.%02d%04d,1,\"F%dP%d\",%d\r\n", file, point, file, point, file,
                  point, group);
    content += line;
    if (point % 100 == 99) continue;
    std::snprintf(line, sizeof line, "P;47.%02d%04d000000000;-4.%02d%04d000000000;1.00;-9999;", file, point, file,
                  point);
    points.emplace_back(line);
  }
  return content;
}

std::vector<std::string> PointLinesOf(const std::string& track) {
  std::vector<std::string> lines;
  // Every P line follows a line end: the file starts with its first track's T line.
  for (std::size_t at = track.find("\nP;"); at != std::string::npos; at = track.find("\nP;", at + 1)) {
    lines.push_back(track.substr(at + 1, track.find(";-9999;", at) + 6 - at));
  }
  return lines;
}

TEST_F(CommandLine, ParallelRunsOnDistinctFilesEachGetTheirOwnResult) {
  constexpr int kFiles = 12;
  std::vector<std::vector<std::string>> points(kFiles);
  std::string list;
  std::set<std::string> expected_files;
  for (int file = 0; file < kFiles; ++file) {
    const std::string n = std::to_string(file);
    Write("appareil" + n + ".zbx", ParallelDeviceFile(file, points[file]));
    // The track file with its track renamed "F<n>".
    Write("carte" + n + "_TRK.txt", "T;F" + n + (kTrackFile + std::strlen("T;Raz de Sein")));
    list += "appareil" + n + ".zbx\ncarte" + n + "_TRK.txt\n";
    expected_files.insert({"appareil" + n + ".zbx", "carte" + n + "_TRK.txt", "appareil" + n + "_TRK.txt",
                           "appareil" + n + "_WPT.txt", "carte" + n + "_TRK.asc"});
  }
  WriteWholeFile(root_.File("liste"), list);

  ProgramCall call;
  call.arguments = {"-P", "8", "-n", "1", program_, "-q"};
  call.environment = Environment({"LC_ALL=C"});
  call.folder = Data("");
  call.stdin_path = root_.File("liste");
  const ProgramRun run = RunProgram("/usr/bin/xargs", call);
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err, "");

  for (int file = 0; file < kFiles; ++file) {
    const std::string n = std::to_string(file);
    const std::string track = Read("appareil" + n + "_TRK.txt");
    EXPECT_EQ(PointLinesOf(track), points[file]) << "appareil" << n;
    EXPECT_TRUE(Contains(track, "T;F" + n + "P0;1;1\r\n")) << "appareil" << n;
    EXPECT_TRUE(Contains(Read("appareil" + n + "_WPT.txt"), "W;F" + n + "P2999;;")) << "appareil" << n;
    const std::string device = Read("carte" + n + "_TRK.asc");
    EXPECT_EQ(device.rfind("-4.74,48.04,12.50,\"F" + n + "\"\r\n-4.75,48.05,3.00,\"F" + n + "\"\r\n", 0), 0u)
        << device;
  }
  // No temporary file left beside the outputs, no store left beside the program.
  EXPECT_EQ(DataFiles(), expected_files);
  EXPECT_EQ(ProgramFolderLeftovers(), std::set<std::string>{});
}

}  // namespace
}  // namespace tessaline::testing

namespace tessaline::testing {
namespace {

constexpr const char* kGpx =
    "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"x\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
    "<wpt lat=\"48.1\" lon=\"-5.1\"><name>Phare</name></wpt>\n"
    "<wpt lat=\"91\" lon=\"0\"/>\n"
    "<trk><name>Raz</name><trkseg><trkpt lat=\"48\" lon=\"-4.7\"/><trkpt lat=\"48.1\" lon=\"-4.8\"/></trkseg></trk>\n"
    "</gpx>\n";

// The table of roads with GPX: what each call writes, prints and returns.
TEST_F(CommandLine, GpxRoadsByContentAndOption) {
  struct Road {
    std::vector<std::string> arguments;
    int exit_status;
    std::string out, err;  // err: a part of it
    std::set<std::string> written;
  };
  const std::string summary = "1 trace (2 points), 1 waypoint\n";
  const std::string warning =
      "tessaline-convert: export.xml:4: avertissement : 1 point ignoré (latitude ou longitude absente, "
      "non numérique ou hors limites)\n";
  const std::vector<Road> roads{
      {{"export.xml"}, 0, "Traitement du fichier export.xml terminé.\n" + summary, warning, {"export.asc"}},
      {{"-d", "export.xml"}, 0, "Traitement du fichier export.xml terminé.\n" + summary, warning, {"export.asc"}},
      {{"-c", "export.xml"}, 0, "Traitement du fichier export.xml terminé.\n" + summary, warning,
       {"export_TRK.txt", "export_WPT.txt"}},
      {{"-q", "export.xml"}, 0, "", "", {"export.asc"}},
      {{"-g", "export.xml"}, 1, "",
       "tessaline-convert: export.xml: Erreur dans le module de conversion GPX : le fichier est déjà au format GPX\n",
       {}},
      {{"-g", "trace.zbx"}, 0, "Traitement du fichier trace.zbx terminé.\n1 trace (3 points), 1 waypoint\n", "",
       {"trace.gpx"}},
      {{"-g", "route_TRK.txt"}, 0,
       "Traitement du fichier route_TRK.txt terminé.\n1 trace (2 points), 0 waypoint\n", "", {"route_TRK.gpx"}},
      {{"-g", "-c", "trace.zbx"}, 2, "", "l'option --to-gpx (-g) exclut --to-chart (-c) et --to-device (-d)", {}},
  };
  for (const Road& road : roads) {
    for (const std::string& name : DataFiles()) fs::remove(Data(name));
    Write("export.xml", kGpx);
    Write("trace.zbx", kDevicePoints);
    Write("route_TRK.txt", kTrackFile);
    const std::set<std::string> before = DataFiles();
    const ProgramRun run = Run(road.arguments);
    const std::string call = ::testing::PrintToString(road.arguments);
    EXPECT_EQ(run.exit_status, road.exit_status) << call << run.err;
    EXPECT_EQ(run.out, road.out) << call;
    EXPECT_TRUE(road.err.empty() ? run.err.empty() : Contains(run.err, road.err)) << call << run.err;
    std::set<std::string> written;
    for (const std::string& name : DataFiles()) {
      if (!before.count(name)) written.insert(name);
    }
    EXPECT_EQ(written, road.written) << call;
  }
  // Read back, the device file of a GPX has its runs in a fifth field.
  Write("export.xml", kGpx);
  ASSERT_EQ(Run({"-q", "export.xml"}).exit_status, 0);
  EXPECT_EQ(Read("export.asc"),
            "48.100000000000000,-5.100000000000000,-9999,\"Phare\",1\r\n"
            "48.000000000000000,-4.700000000000000,0,\"Raz\",2\r\n"
            "48.100000000000000,-4.800000000000000,0,\"Raz\",2\r\n");
}

}  // namespace
}  // namespace tessaline::testing
