#include "shell/logic/pixel_scale.h"

#include <cmath>

namespace tessaline {

int PixelScale::Scaled(int pixels_at_96) const {
  const std::int64_t product = static_cast<std::int64_t>(pixels_at_96) * dpi_;
  const std::int64_t half = kStandardDotsPerInch / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kStandardDotsPerInch
                                       : (product - half) / kStandardDotsPerInch);
}

int PixelScale::FontPixels(double points) const {
  return static_cast<int>(std::lround(points * dpi_ / 72.0));
}

PixelRect PixelScale::Box(const ControlSpec& row) const {
  const int left = Pixels(row.left);
  const int top = Pixels(row.top);
  if (row.kind == ControlKind::Line) return {left, top, Pixels(row.left + row.width) + 1 - left, 1};
  return {left, top, Pixels(row.width), Pixels(row.height)};
}

}  // namespace tessaline
