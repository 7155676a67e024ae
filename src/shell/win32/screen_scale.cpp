#include "shell/win32/screen_scale.h"

#include <cmath>

namespace tessaline::win32 {

ScreenScale ScreenScale::OfSystem() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return ScreenScale(dpi);
}

RECT ScreenScale::Box(const ControlSpec& spec) const {
  RECT box;
  box.left = Px(spec.left);
  box.top = Px(spec.top);
  if (spec.kind == ControlKind::Line) {
    // Both ends drawn, one pixel high.
    box.right = Px(spec.left + spec.width) + 1;
    box.bottom = box.top + 1;
  } else {
    box.right = box.left + Px(spec.width);
    box.bottom = box.top + Px(spec.height);
  }
  return box;
}

int ScreenScale::FontHeight(double points) const {
  return -static_cast<int>(std::lround(points * dpi_ / 72.0));
}

}  // namespace tessaline::win32
