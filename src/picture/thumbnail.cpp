#include "picture/thumbnail.h"

#include <cmath>

namespace tessaline::picture {

Thumbnail ThumbnailOf(const Picture& picture, double left, double top, double width, double height) {
  Thumbnail thumbnail;
  if (picture.Empty()) return thumbnail;
  const PixelFrame frame(picture.box, left, top, width, height);
  auto at = [&frame](const PlanePoint& p) { return PixelSpot{frame.X(p), frame.Y(p)}; };
  for (const Polyline& line : picture.lines) {
    if (line.role == LineRole::Original) continue;
    Thumbnail::Line pixels{line.role, {}};
    for (const PlanePoint& p : line.points) {
      const PixelSpot spot = at(p);
      if (!pixels.points.empty() && std::fabs(spot.x - pixels.points.back().x) < 0.5 &&
          std::fabs(spot.y - pixels.points.back().y) < 0.5 && &p != &line.points.back()) {
        continue;
      }
      pixels.points.push_back(spot);
    }
    thumbnail.lines.push_back(std::move(pixels));
  }
  for (const Mark& mark : picture.marks) {
    switch (mark.kind) {
      case MarkKind::Start: thumbnail.starts.push_back(at(mark.at)); break;
      case MarkKind::End: thumbnail.ends.push_back(at(mark.at)); break;
      case MarkKind::Waypoint: thumbnail.waypoints.push_back(at(mark.at)); break;
      case MarkKind::LargestDeviation: break;
    }
  }
  return thumbnail;
}

}  // namespace tessaline::picture
