#pragma once
// The picture as a self-contained SVG document of 800 x 600 pixels, in
// UTF-8: basic shapes, paths and text only, no script, no link to anything
// outside it, names written as text. The data fill the box below, north up;
// the scale bar and the north arrow sit outside it.

#include <string>

#include "picture/picture.h"

namespace tessaline::picture {

inline constexpr double kSvgWidth = 800, kSvgHeight = 600;
inline constexpr double kSvgDataLeft = 40, kSvgDataTop = 40, kSvgDataWidth = 720, kSvgDataHeight = 500;

std::string SvgOf(const Picture& picture);

// `text` with what XML would take as markup written as character
// references, and the characters XML cannot hold (controls) left out.
std::string XmlText(std::string_view text);

}  // namespace tessaline::picture
