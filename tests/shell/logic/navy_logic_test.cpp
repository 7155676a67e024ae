// Runs every script of cases/: lines "> Event args" act on NavyLogic, the
// lines after each tell the view calls it must give, in order ("#" starts
// a comment). Events: Load, Label1, Label2, CmdOK, Hover3, Hover4,
// HoverSurface, Drop [names in the test's folder], Run, Close.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shell/logic/navy_logic.h"
#include "support/temp_folder.h"

namespace tessaline {
namespace {

using testing::TempFolder;

std::string Hex(Bgr color) {
  std::ostringstream out;
  out << std::hex << std::uppercase << color;
  return out.str();
}

class RecordingView : public NavyView {
 public:
  std::vector<std::string> calls;

  void SetCaption(ControlId id, const std::string& text) override { Note(id, "caption " + text); }
  void SetTextColor(ControlId id, Bgr color) override { Note(id, "text " + Hex(color)); }
  void SetFill(ControlId id, Bgr color) override { Note(id, "fill " + Hex(color)); }
  void SetVisible(ControlId id, bool visible) override { Note(id, visible ? "shown" : "hidden"); }
  void SetBold(ControlId id, bool bold) override { Note(id, bold ? "bold" : "regular"); }
  void SetDropsAccepted(bool accepted) override { calls.push_back(accepted ? "drops on" : "drops off"); }
  void ProcessEvents() override {}
  void SetTooltip(ControlId id, const std::string& text) override { Note(id, "tooltip " + text); }
  void ShowMessage(const std::string& text, MessageIcon icon, const std::string& details) override {
    calls.push_back((icon == MessageIcon::Error ? "error " : "information ") + text);
    if (!details.empty()) calls.push_back("  under it: " + details);
  }
  void ScheduleConversion() override { calls.push_back("schedule"); }
  void HideWindow() override { calls.push_back("hide window"); }
  void EndProgram() override { calls.push_back("end"); }

 private:
  void Note(ControlId id, const std::string& what) { calls.push_back(std::string(RowOf(id).name) + " " + what); }
};

struct Step {
  std::string event;
  std::vector<std::string> expected;
};

std::vector<Step> ReadScript(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<Step> steps;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("> ", 0) == 0) {
      steps.push_back({line.substr(2), {}});
    } else if (!steps.empty()) {
      steps.back().expected.push_back(line);
    }
  }
  return steps;
}

void Act(NavyLogic& logic, const std::string& event, const TempFolder& folder) {
  std::istringstream words(event);
  std::string name;
  words >> name;
  if (name == "Load") logic.Load();
  if (name == "Label1") logic.Label1Clicked();
  if (name == "Label2") logic.Label2Clicked();
  if (name == "CmdOK") logic.CmdOkClicked();
  if (name == "Hover3") logic.HoverLabel3();
  if (name == "Hover4") logic.HoverLabel4();
  if (name == "HoverSurface") logic.HoverSurface();
  if (name == "Run") logic.RunDroppedFiles();
  if (name == "Close") logic.CloseRequested();
  if (name == "Drop") {
    std::vector<std::string> paths;
    for (std::string file; words >> file;) paths.push_back(folder.File(file));
    logic.Dropped(paths);
  }
}

TEST(NavyLogicTest, EveryScriptGivesItsViewCalls) {
  int scripts = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TESSALINE_LOGIC_CASES)) {
    SCOPED_TRACE(entry.path().filename().string());
    ++scripts;
    TempFolder folder;
    NavyServices services;
    services.staging.program_folder = folder.path();
    services.staging.cache_folder = folder.File("cache");
    services.regional = RegionalSettings::C();
    RecordingView view;
    NavyLogic logic(view, services);
    for (const Step& step : ReadScript(entry.path())) {
      SCOPED_TRACE(step.event);
      view.calls.clear();
      Act(logic, step.event, folder);
      EXPECT_EQ(view.calls, step.expected);
    }
  }
  EXPECT_GE(scripts, 4);
}

}  // namespace
}  // namespace tessaline
