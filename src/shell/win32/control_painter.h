#pragma once
// Paints the window with GDI: the sphere picture, then the labels, shapes
// and lines of the control table from the back to the front. The
// completion button is a real button and paints itself.

#include "shell/win32/windows_api.h"

#include <array>
#include <optional>
#include <string>

#include "shell/logic/control_table.h"
#include "shell/logic/pixel_scale.h"

namespace tessaline::win32 {

// A box of the core's as a GDI rectangle.
inline RECT RectOf(const PixelRect& box) {
  return RECT{box.left, box.top, box.left + box.width, box.top + box.height};
}

// What a control shows now; starts as the table says.
struct ControlLook {
  std::wstring caption;
  std::wstring tooltip;
  std::optional<Bgr> text_color;  // none: the window-text colour
  std::optional<Bgr> fill;        // labels: opaque background; shapes: fill
  bool visible = true;
  bool bold = false;
};

using ControlLooks = std::array<ControlLook, kControlCount>;
ControlLooks InitialLooks();

class ControlPainter {
 public:
  ControlPainter(const PixelScale& scale, HBITMAP sphere);
  ~ControlPainter();
  ControlPainter(const ControlPainter&) = delete;
  ControlPainter& operator=(const ControlPainter&) = delete;

  // The whole client area of `size` pixels into `dc`.
  void Paint(HDC dc, SIZE size, const ControlLooks& looks);
  // The font of a control (regular or bold), kept for the window's life.
  HFONT Font(const FontSpec& row, bool bold);

 private:
  void PaintLabel(HDC dc, const ControlSpec& row, const ControlLook& look);
  void PaintShape(HDC dc, const ControlSpec& row, const ControlLook& look);
  void PaintLine(HDC dc, const ControlSpec& row);

  const PixelScale& scale_;
  HBITMAP sphere_;
  struct CachedFont {
    const char* family;
    double points;
    bool bold;
    HFONT font;
  };
  std::array<CachedFont, 8> fonts_{};
  std::size_t font_count_ = 0;
};

}  // namespace tessaline::win32
