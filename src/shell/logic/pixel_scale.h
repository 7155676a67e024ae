#pragma once
// Twips as pixels and back, for a screen of so many dots per inch: the one
// place where the window's twips meet the pixels a toolkit works in. At
// 96 dots per inch (the Qt window's device-independent pixels, and Windows
// at 100 %) a pixel is 15 twips; at 144 it is 10.

#include <cstdint>

#include "shell/logic/control_table.h"

namespace tessaline {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kStandardDotsPerInch = 96;

struct PixelPoint {
  int x = 0;
  int y = 0;
};

// Right and bottom are outside: the pixels left .. left + width - 1.
struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool Contains(PixelPoint point) const {
    return point.x >= left && point.x < left + width && point.y >= top && point.y < top + height;
  }
  bool operator==(const PixelRect&) const = default;
};

class PixelScale {
 public:
  // Anything but a positive count of dots is taken as the standard 96.
  constexpr explicit PixelScale(int dots_per_inch = kStandardDotsPerInch)
      : dpi_(dots_per_inch > 0 ? dots_per_inch : kStandardDotsPerInch) {}

  constexpr double TwipsPerPixel() const { return static_cast<double>(kTwipsPerInch) / dpi_; }
  // Whole pixels of a length in twips, cut towards zero.
  constexpr int Pixels(int twips) const { return twips * dpi_ / kTwipsPerInch; }
  // A length given in pixels at 96 dots per inch, rounded to the nearest
  // pixel (halves away from zero).
  int Scaled(int pixels_at_96) const;
  // The character height of a font of `points`, in pixels.
  int FontPixels(double points) const;

  // A control's box in pixels of the client area. A line is one pixel high
  // and takes both its ends.
  PixelRect Box(const ControlSpec& row) const;
  // The client area's size.
  constexpr PixelRect Client() const { return {0, 0, Pixels(kClientWidthTwips), Pixels(kClientHeightTwips)}; }

 private:
  int dpi_;
};

}  // namespace tessaline
