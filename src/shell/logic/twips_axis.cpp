#include "shell/logic/twips_axis.h"

#include <algorithm>

#include "formats/rounding.h"

namespace tessaline {

double TwipsAxis::Read(int pixel, int origin) const {
  const double absolute = known_ && pixel_ == pixel ? twips_ : pixel * twips_per_pixel_;
  return absolute - origin * twips_per_pixel_;
}

int TwipsAxis::Place(float relative_twips, int origin) {
  const double absolute = static_cast<double>(relative_twips) + origin * twips_per_pixel_;
  const double pixel = std::clamp(RoundHalfEven(absolute / twips_per_pixel_),
                                  static_cast<double>(-kFarthestPixel),
                                  static_cast<double>(kFarthestPixel));
  known_ = true;
  pixel_ = static_cast<int>(pixel);
  twips_ = absolute;
  return pixel_;
}

}  // namespace tessaline
