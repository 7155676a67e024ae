#pragma once
// The controls of the main window Navy, as both front ends build them:
// kind, place and size in twips, caption, font, colours, frame, tooltip.
// The table runs from the back to the front: each control lies in front of
// those listed before it.

#include <array>
#include <cstdint>
#include <optional>

namespace tessaline {

// A colour as 0x00BBGGRR: blue in the high byte, red in the low one.
using Bgr = std::uint32_t;
inline constexpr Bgr kLightCyanBgr = 0xFFFF80;
inline constexpr Bgr kRedBgr = 0x0000FF;
inline constexpr Bgr kGreenBgr = 0x00FF00;
inline constexpr Bgr kWhiteBgr = 0xFFFFFF;
inline constexpr Bgr kBlackBgr = 0x000000;

// The window's client area, in twips.
inline constexpr int kClientWidthTwips = 4470;
inline constexpr int kClientHeightTwips = 4530;

enum class ControlId {
  Shape1,
  Label1,
  Line1,
  LblStatus,
  LblFichiers,
  LblDetails,
  Line3,
  ShpEtape1,
  ShpEtape2,
  ShpEtape3,
  ShpEtape4,
  Line2,
  Label2,
  Label4,
  Label3,
  CmdOK,
};
inline constexpr std::size_t kControlCount = 16;

enum class ControlKind {
  Label,   // takes its own mouse events
  Circle,  // shapes and lines belong to the window's own surface
  Rectangle,
  Line,
  Button,
};

struct FontSpec {
  const char* family;
  double points;
};
inline constexpr FontSpec kDefaultFont{"Arial", 8.25};

struct ControlSpec {
  ControlId id;
  const char* name;
  ControlKind kind;
  // Twips from the client area's top-left corner. A line runs from
  // (left, top) to (left + width, top), both ends drawn.
  int left, top, width, height;
  const char* caption;  // labels and the button; null for the others
  FontSpec font;
  std::optional<Bgr> text_color;  // none: the window-text colour
  std::optional<Bgr> fill;        // labels: opaque background; shapes: fill
  int border_width;               // pixels, in the window-text colour; 0: none
  bool visible;
  const char* tooltip;  // null: none
  // Whether a caption too wide for one line goes on over the next ones;
  // otherwise it stays on one line, cut at the control's edge.
  bool word_wrap;
};

// Back to front.
const std::array<ControlSpec, kControlCount>& ControlTable();
const ControlSpec& RowOf(ControlId id);

// Whether a control lets the pointer through to the window's own surface.
constexpr bool IsSurface(ControlKind kind) {
  return kind == ControlKind::Circle || kind == ControlKind::Rectangle || kind == ControlKind::Line;
}

// The step indicator of step 1 to 4.
constexpr ControlId StepIndicator(int step) {
  return static_cast<ControlId>(static_cast<int>(ControlId::ShpEtape1) + step - 1);
}

}  // namespace tessaline
