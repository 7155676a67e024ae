#pragma once
// The screen's dots per inch, as the window's twips become pixels: 15 twips
// to the pixel at 96 dpi, 10 at 144.

#include "shell/win32/windows_api.h"

#include "shell/logic/control_table.h"

namespace tessaline::win32 {

class ScreenScale {
 public:
  // The system's dots per inch (the program is system-DPI aware).
  static ScreenScale OfSystem();
  explicit ScreenScale(int dpi) : dpi_(dpi > 0 ? dpi : 96) {}

  int Dpi() const { return dpi_; }
  double TwipsPerPixel() const { return static_cast<double>(kTwipsPerInch) / dpi_; }
  int Px(int twips) const { return TwipsToPixels(twips, dpi_); }
  // A length given in pixels at 96 dpi.
  int Scaled(int pixels_at_96) const { return MulDiv(pixels_at_96, dpi_, 96); }
  // A control's box in pixels of the client area.
  RECT Box(const ControlSpec& row) const;
  // Font height for CreateFontW: negative, the character height.
  int FontHeight(double points) const;

 private:
  int dpi_;
};

}  // namespace tessaline::win32
