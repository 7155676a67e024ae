#include "shell/logic/window_shape.h"

#include <algorithm>
#include <cmath>

namespace tessaline {

std::vector<PixelRect> DiscRows(const PixelScale& scale) {
  const int left = scale.Scaled(kDiscAt96.left);
  const int top = scale.Scaled(kDiscAt96.top);
  const int right = scale.Scaled(kDiscAt96.left + kDiscAt96.width);
  const int bottom = scale.Scaled(kDiscAt96.top + kDiscAt96.height);
  const double centre_x = (left + right) / 2.0;
  const double centre_y = (top + bottom) / 2.0;
  const double radius_x = (right - left) / 2.0;
  const double radius_y = (bottom - top) / 2.0;
  std::vector<PixelRect> rows;
  for (int y = top; y < bottom; ++y) {
    const double dy = (y + 0.5 - centre_y) / radius_y;
    const double half = radius_x * std::sqrt(std::max(0.0, 1 - dy * dy));
    // Pixel x is inside when its centre x + 0.5 is.
    const int first = static_cast<int>(std::ceil(centre_x - half - 0.5));
    const int last = static_cast<int>(std::floor(centre_x + half - 0.5));
    if (last >= first) rows.push_back({first, y, last - first + 1, 1});
  }
  return rows;
}

}  // namespace tessaline
