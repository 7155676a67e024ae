#include "shell/logic/control_table.h"

#include "shell/logic/window_texts.h"

namespace tessaline {

namespace {

namespace texts = window_texts;
constexpr FontSpec kStatusFont{"Arial", 9.75};
constexpr FontSpec kPercentageFont{"Tahoma", 27.75};
constexpr std::optional<Bgr> kWindowText;

constexpr ControlSpec Step(ControlId id, const char* name, int left) {
  return {id, name, ControlKind::Rectangle, left, 2640, 495, 255, nullptr, kDefaultFont,
          kWindowText, kRedBgr, 3, true, nullptr, false};
}

constexpr ControlSpec Line(ControlId id, const char* name, int top) {
  return {id, name, ControlKind::Line, 1080, top, 2280, 0, nullptr, kDefaultFont,
          kWindowText, std::nullopt, 1, true, nullptr, false};
}

constexpr std::array<ControlSpec, kControlCount> kTable = {{
    {ControlId::Shape1, "Shape1", ControlKind::Circle, 600, 840, 3255, 2775, nullptr, kDefaultFont,
     kWindowText, kLightCyanBgr, 1, true, nullptr, false},
    {ControlId::Label1, "Label1", ControlKind::Label, 1560, 1080, 1335, 255, texts::kDeviceToChart,
     kDefaultFont, kWindowText, kLightCyanBgr, 1, true, nullptr, false},
    Line(ControlId::Line1, "Line1", 1440),
    // Only the step text among the labels may take a second line.
    {ControlId::LblStatus, "lblStatus", ControlKind::Label, 1080, 1440, 2295, 495,
     texts::kStartStatus, kStatusFont, kWindowText, std::nullopt, 1, true, nullptr, true},
    {ControlId::LblFichiers, "lblFichiers", ControlKind::Label, 1080, 1920, 2295, 1095,
     texts::kReady, kPercentageFont, kWindowText, std::nullopt, 1, true, nullptr, false},
    {ControlId::LblDetails, "lblDetails", ControlKind::Label, 2880, 1920, 495, 255, "",
     kDefaultFont, kWindowText, std::nullopt, 1, true, nullptr, false},
    Line(ControlId::Line3, "Line3", 2520),
    Step(ControlId::ShpEtape1, "ShpEtape1", 1200),
    Step(ControlId::ShpEtape2, "ShpEtape2", 1680),
    Step(ControlId::ShpEtape3, "ShpEtape3", 2280),
    Step(ControlId::ShpEtape4, "ShpEtape4", 2760),
    Line(ControlId::Line2, "Line2", 3000),
    {ControlId::Label2, "Label2", ControlKind::Label, 1560, 3120, 1335, 255, texts::kChartToDevice,
     kDefaultFont, kWindowText, kLightCyanBgr, 1, true, nullptr, false},
    {ControlId::Label4, "Label4", ControlKind::Label, 2880, 480, 255, 255, texts::kHide,
     kDefaultFont, kWhiteBgr, std::nullopt, 0, true, texts::kHideTooltip, false},
    {ControlId::Label3, "Label3", ControlKind::Label, 3120, 480, 255, 255, texts::kClose,
     kDefaultFont, kWhiteBgr, std::nullopt, 0, true, texts::kCloseTooltip, false},
    // When shown, the completion button covers the whole panel; its caption
    // holds a file name, which may take several lines.
    {ControlId::CmdOK, "cmdOK", ControlKind::Button, 1080, 1440, 2295, 1575,
     texts::kCompletionStart, kDefaultFont, kWindowText, std::nullopt, 0, false, nullptr, true},
}};

constexpr bool InIdOrder() {
  for (std::size_t i = 0; i < kTable.size(); ++i) {
    if (static_cast<std::size_t>(kTable[i].id) != i) return false;
  }
  return true;
}
static_assert(InIdOrder(), "the table is indexed by ControlId");

}  // namespace

const std::array<ControlSpec, kControlCount>& ControlTable() { return kTable; }

const ControlSpec& RowOf(ControlId id) { return kTable[static_cast<std::size_t>(id)]; }

}  // namespace tessaline
