// Each folder of tests/data/say_why is one case, run twice: through the
// converters in this process (with the command line's console host) and
// through tessaline-convert. Both runs must write the expected files and
// say the expected lines. A case folder holds:
//   arguments        the command line's arguments, one per line
//   status           the exit status
//   stdout, stderr   the lines said, time stamps as ##/##/#### ##:##:##
//   locale           optional; "fr": French regional settings
//   input/           the files the run starts with
//   output/          every file the run adds or changes, stamps masked
// Adding a case is adding a folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string_view>
#include <unistd.h>

#include "cli/cli_options.h"
#include "cli/conversion_run.h"
#include "convert/roads/roads.h"
#include "host/real_file_system.h"
#include "program_run.h"
#include "support/temp_folder.h"

namespace tessaline::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kCases = TESSALINE_SAY_WHY_CASES;

// Time stamps "dd/mm/yyyy hh:mm:ss" become "##/##/#### ##:##:##".
std::string Masked(std::string text) {
  constexpr std::string_view kShape = "##/##/#### ##:##:##";
  for (std::size_t at = 0; at + kShape.size() <= text.size(); ++at) {
    bool stamp = true;
    for (std::size_t i = 0; i < kShape.size() && stamp; ++i) {
      const char c = text[at + i];
      stamp = kShape[i] == '#' ? c >= '0' && c <= '9' : c == kShape[i];
    }
    if (stamp) text.replace(at, kShape.size(), kShape);
  }
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// The files under `folder`, by relative name, with their masked content.
std::map<std::string, std::string> Files(const fs::path& folder) {
  std::map<std::string, std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    std::error_code no_file;  // a link that leads nowhere (a loop) is no file
    if (entry.is_regular_file(no_file)) {
      files[fs::relative(entry.path(), folder).string()] = Masked(ReadWholeFile(entry.path().string()));
    }
  }
  return files;
}

struct Said {
  int status = -1;
  std::string out, err;
};

class SayWhy : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    case_ = kCases / GetParam();
    arguments_ = Lines(ReadWholeFile((case_ / "arguments").string()));
    french_ = ReadWholeFile((case_ / "locale").string()).rfind("fr", 0) == 0;
    for (const char* folder : {"work", "cache", "home"}) fs::create_directory(root_.File(folder));
    work_ = root_.File("work");
    if (fs::exists(case_ / "input")) fs::copy(case_ / "input", work_, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  }

  Said InProcess() {
    const cli::CliOptions options = cli::ParseCommandLine(arguments_);
    if (options.action == cli::CliAction::UsageError) return Said{2, "", cli::UsageErrorText(options.error)};
    cli::StringSink out, err;
    RealFileSystem files;
    cli::ConsoleHostOptions host_options;
    host_options.quiet = options.quiet;
    cli::ConsoleHost host(files, out, err, host_options);
    SystemClock clock;
    const StagingLocation staging{root_.File("cache"), root_.File("cache"), false};
    RoadServices services{french_ ? RegionalSettings::French() : RegionalSettings::C(), &clock, staging,
                          options.points};
    services.split = options.split;
    Roads roads(host, std::move(services));
    // The paths are given relative to the case's folder, as on the command line.
    const fs::path before = fs::current_path();
    fs::current_path(work_);
    const cli::RunResult result = cli::ConvertFiles(
        options.files, host, [&](const std::string& path) { return roads.Convert(path, options.request, options.output); });
    fs::current_path(before);
    return Said{result.exit_status, out.text(), err.text()};
  }

  Said ThroughTheProgram() {
    ProgramCall call;
    call.arguments = arguments_;
    call.folder = work_;
    call.environment = {"PATH=/usr/bin:/bin", "HOME=" + root_.File("home"),
                        "XDG_CACHE_HOME=" + root_.File("cache"),
                        french_ ? "LC_ALL=fr_FR.UTF-8" : "LC_ALL=C"};
    const ProgramRun run = RunProgram(TESSALINE_CONVERT_BINARY, call);
    return Said{run.exit_status, run.out, run.err};
  }

  void Check(const Said& said, const std::string& how) {
    EXPECT_EQ(std::to_string(said.status), Lines(ReadWholeFile((case_ / "status").string())).at(0)) << how;
    EXPECT_EQ(Masked(said.out), ReadWholeFile((case_ / "stdout").string())) << how;
    EXPECT_EQ(Masked(said.err), ReadWholeFile((case_ / "stderr").string())) << how;
    std::map<std::string, std::string> expected = Files(case_ / "input");
    for (const auto& [name, content] : Files(case_ / "output")) expected[name] = content;
    EXPECT_EQ(Files(work_), expected) << how;
  }

  TempFolder root_;
  fs::path case_;
  std::string work_;
  std::vector<std::string> arguments_;
  bool french_ = false;
};

TEST_P(SayWhy, InProcessAndThroughTheProgram) {
  Check(InProcess(), "in process");
  // Afresh: the program finds the case as the converters did.
  fs::remove_all(work_);
  fs::create_directory(work_);
  if (fs::exists(case_ / "input")) fs::copy(case_ / "input", work_, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  Check(ThroughTheProgram(), "through tessaline-convert");
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kCases)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, SayWhy, ::testing::ValuesIn(CaseNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace tessaline::testing
