#pragma once
// The picture at a button's size: the lines, waypoints as dots, the starts
// and ends, in pixels of the box they were fitted into (y down). Names,
// ticks and the scale bar are left to the full picture.

#include <vector>

#include "picture/picture.h"

namespace tessaline::picture {

struct PixelSpot {
  double x = 0, y = 0;
};

struct Thumbnail {
  struct Line {
    LineRole role = LineRole::Track;  // Track or Route
    std::vector<PixelSpot> points;
  };
  std::vector<Line> lines;
  std::vector<PixelSpot> waypoints, starts, ends;
  bool Empty() const { return lines.empty() && waypoints.empty(); }
};

// `picture` fitted into a box of `width` x `height` pixels whose top-left
// corner is at (left, top); points less than half a pixel apart merge. An
// empty picture gives an empty thumbnail.
Thumbnail ThumbnailOf(const Picture& picture, double left, double top, double width, double height);

}  // namespace tessaline::picture
