#pragma once
// A picture of a conversion: what was written, and after a fit the track as
// it was read beneath it. It is a plain description that every front end
// draws with its own means (an SVG file, QPainter, GDI): a view box in
// metres and a list of what to draw.
//
// The points come in as a road converts (PictureBuilder is the road's
// second sink), in any number; what is kept is bounded by the picture's
// size, not by the file: each line keeps its points a few pixels apart,
// and the spacing doubles whenever the lines together hold too many.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/point_stream.h"

namespace tessaline::picture {

// A point of the plane, in metres east (x) and north (y) of the centre of
// the data, on a stereographic projection about that centre: conformal, so
// that a short passage keeps the shape it has on a chart.
struct PlanePoint {
  double x = 0, y = 0;
};

enum class LineRole {
  Original,  // the track as read, before a fit: drawn thin and grey, beneath
  Track,
  Route,
};

struct Polyline {
  LineRole role = LineRole::Track;
  std::vector<PlanePoint> points;  // at least one
};

enum class MarkKind { Start, End, Waypoint, LargestDeviation };

struct Mark {
  MarkKind kind = MarkKind::Waypoint;
  PlanePoint at;
  std::string name;    // a waypoint's, UTF-8, plain text
  double metres = 0;   // LargestDeviation: how far the output passes from it, at the picture's detail
};

// Never empty: a single point still gets a box around it.
struct ViewBox {
  double min_x = 0, min_y = 0, max_x = 0, max_y = 0;
  double Width() const { return max_x - min_x; }
  double Height() const { return max_y - min_y; }
};

// A round length: 1, 2 or 5 x 10^k nautical miles, or metres below half a
// mile.
struct ScaleBar {
  double metres = 0;
  std::string label;  // "2 NM", "0,5 NM", "200 m"
};

struct Picture {
  ViewBox box;
  std::vector<Polyline> lines;  // originals first: drawn beneath
  std::vector<Mark> marks;      // starts and ends, waypoints, the largest deviation
  ScaleBar scale;
  std::uint64_t points_written = 0;  // 0: nothing was written, nothing to show
  bool Empty() const { return points_written == 0; }
};

// The bar for a view `width` metres wide: the longest round length that
// takes at most a quarter of it.
ScaleBar ScaleBarFor(double width);

// The picture of one conversion, fed by the road: first what was read,
// then what was written. Clear() before the next file.
class PictureBuilder final : public SecondSink {
 public:
  // About how many points the lines of each side keep at most.
  static constexpr std::size_t kDefaultBudget = 8192;

  explicit PictureBuilder(std::size_t budget = kDefaultBudget);
  ~PictureBuilder() override;
  PictureBuilder(const PictureBuilder&) = delete;
  PictureBuilder& operator=(const PictureBuilder&) = delete;

  PointSink& Read(TextForm form) override;
  PointSink& Written(TextForm form) override;

  Picture Build() const;
  void Clear();

  class Side;

 private:
  // `lon` moved by whole turns to within half a turn of `*previous` (the
  // point before on its line), else of the first point of the picture.
  double Unwrap(double lon, const double* previous);

  std::size_t budget_;
  double reference_lon_ = 0;
  bool has_reference_ = false;
  std::unique_ptr<Side> read_, written_;
};

// Where the plane lands in a box of pixels (y down): one scale for both
// axes, north up, the view box centred.
class PixelFrame {
 public:
  PixelFrame(const ViewBox& box, double left, double top, double width, double height);
  double X(const PlanePoint& p) const { return centre_x_ + (p.x - mid_x_) * scale_; }
  double Y(const PlanePoint& p) const { return centre_y_ - (p.y - mid_y_) * scale_; }
  double PixelsPerMetre() const { return scale_; }

 private:
  double mid_x_, mid_y_, centre_x_, centre_y_, scale_;
};

}  // namespace tessaline::picture
