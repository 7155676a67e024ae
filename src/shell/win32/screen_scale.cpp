#include "shell/win32/screen_scale.h"

#include <cmath>

namespace tessaline::win32 {

ScreenScale ScreenScale::OfSystem() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return ScreenScale(dpi);
}

RECT ScreenScale::Box(const ControlSpec& row) const {
  RECT box;
  box.left = Px(row.left);
  box.top = Px(row.top);
  if (row.kind == ControlKind::Line) {
    // Both ends drawn, one pixel high.
    box.right = Px(row.left + row.width) + 1;
    box.bottom = box.top + 1;
  } else {
    box.right = box.left + Px(row.width);
    box.bottom = box.top + Px(row.height);
  }
  return box;
}

int ScreenScale::FontHeight(double points) const {
  return -static_cast<int>(std::lround(points * dpi_ / 72.0));
}

}  // namespace tessaline::win32
