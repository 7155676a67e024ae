#pragma once
// The disc both windows are cut to, as rows of pixels: one definition, so
// that the two windows show the same pixels whatever their toolkit makes of
// an ellipse.

#include <vector>

#include "shell/logic/pixel_scale.h"

namespace tessaline {

// The disc's bounding box at 96 dots per inch: pixels 5 to 294 across and
// down, centred on the sphere of the window's picture.
inline constexpr PixelRect kDiscAt96{5, 5, 290, 290};

// The disc as one rectangle per row of pixels, top to bottom: the pixels
// whose centres lie inside the ellipse that fills kDiscAt96 scaled to
// `scale`.
std::vector<PixelRect> DiscRows(const PixelScale& scale);

}  // namespace tessaline
