// Runs every script of cases/: lines "> Event args" act on the window's
// core, the lines after each are the port calls it must give, in order
// ("#" starts a comment). A script whose first event is "Dpi N" runs on a
// screen of N dots per inch. Events:
//   Load, Run (the scheduled conversion), Close, Quit, CmdOK
//   Label1 | Label2 | Label3 | Label4     a left click in the label's middle
//   Hover3 | Hover4 | HoverSurface        a move without buttons over it
//   Press B X Y, Release B X Y            B: L, R or M; client pixels
//   Move B X Y                            B: the buttons held (L, R, LR, -)
//   Lost, Key N, Tick Timer1|Timer3|TmrHit
//   DragOver X Y EFFECTS                  EFFECTS: copy,move,link or -;
//                                         gives "effect E"
//   Drop [names]                          copy or move, in lblFichiers
//   DropAt X Y EFFECTS [names]            gives "effect E"
//   Open [names], OpenGpx [names]         files opened with the program
//   Write NAME TEXT                       a file of TEXT, its lines parted by " | "
//   Tooltip NAME, TrayDouble, TrayOther, TrayRestore, TrayAbout
//   Area yes|no                           whether there is a notification area
//   IconFails                             the next tray icon cannot be added

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fake_port.h"
#include "shell/logic/navy_core.h"
#include "shell/logic/window_shape.h"
#include "support/temp_folder.h"

namespace tessaline {
namespace {

using testing::FakePort;
using testing::TempFolder;

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

int Button(const std::string& name) {
  int bits = 0;
  if (name.find('L') != std::string::npos) bits |= kLeftButton;
  if (name.find('R') != std::string::npos) bits |= kRightButton;
  if (name.find('M') != std::string::npos) bits |= kMiddleButton;
  return bits;
}

int Effects(const std::string& names) {
  int bits = 0;
  if (names.find("copy") != std::string::npos) bits |= kDropCopy;
  if (names.find("move") != std::string::npos) bits |= kDropMove;
  if (names.find("link") != std::string::npos) bits |= kDropLink;
  return bits;
}

const char* EffectName(DropEffect effect) {
  return effect == DropEffect::Copy ? "effect copy" : effect == DropEffect::Link ? "effect link" : "effect none";
}

ControlId IdNamed(const std::string& name) {
  for (const ControlSpec& row : ControlTable()) {
    if (name == row.name) return row.id;
  }
  ADD_FAILURE() << "no control " << name;
  return ControlId::Shape1;
}

PixelPoint Middle(const NavyCore& core, ControlId id) {
  const PixelRect box = core.Scale().Box(RowOf(id));
  return {box.left + box.width / 2, box.top + box.height / 2};
}

std::vector<std::string> Files(std::istringstream& words, const TempFolder& folder) {
  std::vector<std::string> paths;
  for (std::string file; words >> file;) paths.push_back(folder.File(file));
  return paths;
}

void Act(NavyCore& core, FakePort& port, const std::string& event, const TempFolder& folder) {
  std::istringstream words(event);
  std::string name, arg;
  words >> name;
  if (name == "Load") core.Load();
  if (name == "Run") core.ConversionDue();
  if (name == "Close") core.CloseRequested();
  if (name == "Quit") core.QuitRequested();
  if (name == "CmdOK") core.CompletionClicked();
  if (name == "Label1" || name == "Label2" || name == "Label3" || name == "Label4") {
    const PixelPoint at = Middle(core, IdNamed(name));
    core.PointerPressed(kLeftButton, at);
    core.PointerReleased(kLeftButton, at);
  }
  if (name == "Hover3") core.PointerMoved(0, Middle(core, ControlId::Label3));
  if (name == "Hover4") core.PointerMoved(0, Middle(core, ControlId::Label4));
  if (name == "HoverSurface") core.PointerMoved(0, {30, 150});
  if (name == "Press" || name == "Release" || name == "Move" || name == "DragOver" || name == "DropAt") {
    PixelPoint at;
    if (name != "DragOver" && name != "DropAt") words >> arg;
    words >> at.x >> at.y;
    if (name == "Press") core.PointerPressed(Button(arg), at);
    if (name == "Release") core.PointerReleased(Button(arg), at);
    if (name == "Move") core.PointerMoved(Button(arg), at);
    std::string effects;
    if (name == "DragOver") {
      words >> effects;
      port.calls.push_back(EffectName(core.DragOver(at, Effects(effects))));
    }
    if (name == "DropAt") {
      words >> effects;
      port.calls.push_back(EffectName(core.FilesDropped(at, Effects(effects), Files(words, folder))));
    }
  }
  if (name == "Drop") {
    const DropEffect effect =
        core.FilesDropped(Middle(core, ControlId::LblFichiers), kDropCopy | kDropMove, Files(words, folder));
    if (effect != DropEffect::Copy) port.calls.push_back(EffectName(effect));
  }
  if (name == "Open" || name == "OpenGpx") core.FilesOpened(Files(words, folder), name == "OpenGpx" ? Request::ToGpx : Request::ByFile);
  if (name == "Write") {
    words >> arg;
    std::string text;
    std::getline(words >> std::ws, text);
    // " | " parts lines.
    for (std::size_t at; (at = text.find(" | ")) != std::string::npos;) text.replace(at, 3, "\r\n");
    testing::WriteWholeFile(folder.File(arg), text + "\r\n");
  }
  if (name == "Lost") core.PointerLost();
  if (name == "Key") {
    int code = 0;
    words >> code;
    core.KeyPressed(code);
  }
  if (name == "Tick") {
    words >> arg;
    core.TimerTicked(arg == "Timer1" ? MotionTimer::Move : arg == "Timer3" ? MotionTimer::Physics : MotionTimer::Grace);
  }
  if (name == "Tooltip") {
    words >> arg;
    core.TooltipShowing(IdNamed(arg));
  }
  if (name == "TrayDouble") core.TrayIconClicked(TrayClick::DoubleClick);
  if (name == "TrayOther") core.TrayIconClicked(TrayClick::Other);
  if (name == "TrayRestore") core.TrayRestoreChosen();
  if (name == "TrayAbout") core.TrayAboutChosen();
  if (name == "Area") {
    words >> arg;
    port.notification_area = arg == "yes";
  }
  if (name == "IconFails") port.icon_added = false;
}

TEST(NavyCoreTest, EveryScriptGivesItsPortCalls) {
  int scripts = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TESSALINE_CORE_CASES)) {
    SCOPED_TRACE(entry.path().filename().string());
    ++scripts;
    std::vector<Step> steps = ReadScript(entry.path());
    int dpi = kStandardDotsPerInch;
    if (!steps.empty() && steps.front().event.rfind("Dpi ", 0) == 0) {
      dpi = std::stoi(steps.front().event.substr(4));
      steps.erase(steps.begin());
    }
    TempFolder folder;
    NavyServices services;
    services.staging.program_folder = folder.path();
    services.staging.cache_folder = folder.File("cache");
    services.regional = RegionalSettings::C();
    FakePort port;
    const PixelScale scale(dpi);
    port.window.width = scale.Pixels(kClientWidthTwips);
    port.window.height = scale.Pixels(kClientHeightTwips);
    NavyCore core(port, services, scale);
    for (const Step& step : steps) {
      SCOPED_TRACE(step.event);
      port.calls.clear();
      Act(core, port, step.event, folder);
      EXPECT_EQ(port.calls, step.expected);
    }
  }
  EXPECT_GE(scripts, 10);
}

// The disc both windows are cut to: across the middle row and column it
// runs from pixel 5 to 294 at 96 dots per inch, scaled at 144; outside the
// disc's box nothing is kept, and the rows are symmetric.
TEST(WindowShapeTest, TheDiscAtEachScale) {
  struct Case {
    int dpi;
    int first, last;  // across the middle
  };
  for (const Case& c : {Case{96, 5, 294}, Case{144, 8, 442}}) {
    SCOPED_TRACE(c.dpi);
    const std::vector<PixelRect> rows = DiscRows(PixelScale(c.dpi));
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(c.last - c.first + 1));
    const PixelRect middle = rows[rows.size() / 2];
    EXPECT_EQ(middle.left, c.first);
    EXPECT_EQ(middle.left + middle.width - 1, c.last);
    EXPECT_EQ(rows.front().top, c.first);
    EXPECT_EQ(rows.back().top, c.last);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const PixelRect& mirror = rows[rows.size() - 1 - i];
      EXPECT_EQ(rows[i].left, mirror.left);
      EXPECT_EQ(rows[i].width, mirror.width);
      EXPECT_GE(rows[i].left, c.first);
      EXPECT_LE(rows[i].left + rows[i].width - 1, c.last);
    }
    // Round: the corners of its box are cut away.
    EXPECT_GT(rows.front().left, c.first + (c.last - c.first) / 4);
  }
}

}  // namespace
}  // namespace tessaline
