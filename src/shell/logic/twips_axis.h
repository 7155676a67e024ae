#pragma once
// One axis of the window's position in twips over a windowing system that
// places windows on whole pixels. The last position set is kept in twips, so
// that velocities of less than a pixel per tick add up instead of being
// lost; it is used for as long as the window still stands on the pixel it
// was put on.

namespace tessaline {

class TwipsAxis {
 public:
  // Window positions far outside any screen are kept in twips but placed
  // no further than this many pixels away, within what every windowing
  // system can hold.
  static constexpr int kFarthestPixel = 30000;

  explicit TwipsAxis(double twips_per_pixel = 15) : twips_per_pixel_(twips_per_pixel) {}
  void SetTwipsPerPixel(double twips_per_pixel) { twips_per_pixel_ = twips_per_pixel; }
  double TwipsPerPixel() const { return twips_per_pixel_; }

  // The twips from `origin` (the screen's edge, in pixels) of a window that
  // stands on absolute pixel `pixel`.
  double Read(int pixel, int origin) const;
  // The absolute pixel to put the window on for `relative_twips` from
  // `origin`; the twips are remembered.
  int Place(float relative_twips, int origin);

 private:
  double twips_per_pixel_;
  bool known_ = false;
  int pixel_ = 0;       // absolute pixel the window was put on
  double twips_ = 0;    // absolute twips asked for
};

}  // namespace tessaline
