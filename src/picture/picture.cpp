#include "picture/picture.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "formats/gpx/eight_bit_text.h"
#include "formats/gpx/gpx_model.h"

namespace tessaline::picture {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthRadius = 6371008.8;               // metres, the mean sphere
constexpr double kMetresPerDegree = kEarthRadius * kPi / 180;
constexpr double kMetresPerMile = 1852;
constexpr double kSmallestBox = 100;  // metres: one point, or all the same
constexpr std::size_t kLongestName = 64;  // bytes of a waypoint's name kept
constexpr std::size_t kDeviationWindow = 32;  // segments searched either side

struct GeoPoint {
  double lat = 0, lon = 0;  // lon unwrapped: a track keeps going past ±180
};

// The square of the distance in metres, on the plane tangent at `a` (or
// at a latitude whose cosine is `cos_lat`): near enough to space the
// points of a line.
double SquaredMetres(const GeoPoint& a, const GeoPoint& b, double cos_lat) {
  const double dy = (b.lat - a.lat) * kMetresPerDegree;
  const double dx = (b.lon - a.lon) * kMetresPerDegree * cos_lat;
  return dx * dx + dy * dy;
}
double SquaredMetres(const GeoPoint& a, const GeoPoint& b) { return SquaredMetres(a, b, std::cos(a.lat * kPi / 180)); }

// Keeps `points` at least `spacing` apart (squared), the first and the last
// always: each new point replaces the last kept when that one is too near
// the one before, so a corner moves by less than the spacing.
void Append(std::vector<GeoPoint>& points, const GeoPoint& p, double spacing, double cos_lat) {
  const std::size_t n = points.size();
  if (n >= 2 && SquaredMetres(points[n - 2], points[n - 1], cos_lat) < spacing) {
    points.back() = p;
  } else {
    points.push_back(p);
  }
}

struct Line {
  RunKind kind = RunKind::Track;
  std::vector<GeoPoint> points;
};

struct Waypoint {
  GeoPoint at;
  std::string name;
};

std::string NameOf(std::string_view text, TextForm form) {
  std::string name = form == TextForm::EightBit ? gpx::EightBitToUtf8(text) : std::string(text);
  if (name.size() > kLongestName) {
    std::size_t end = kLongestName;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;  // a whole character
    name.resize(end);
  }
  return name;
}

PlanePoint Project(const GeoPoint& p, double lat0, double lon0) {
  const double phi = p.lat * kPi / 180, phi0 = lat0 * kPi / 180, dl = (p.lon - lon0) * kPi / 180;
  const double cos_c = std::sin(phi0) * std::sin(phi) + std::cos(phi0) * std::cos(phi) * std::cos(dl);
  // The antipode of the centre is at infinity; data spread that wide is
  // drawn squeezed, never divided by zero.
  const double k = 2 * kEarthRadius / std::max(1 + cos_c, 1e-9);
  return {k * std::cos(phi) * std::sin(dl),
          k * (std::cos(phi0) * std::sin(phi) - std::sin(phi0) * std::cos(phi) * std::cos(dl))};
}

double SegmentDistance(const PlanePoint& p, const PlanePoint& a, const PlanePoint& b) {
  const double vx = b.x - a.x, vy = b.y - a.y;
  const double length = vx * vx + vy * vy;
  double t = length > 0 ? ((p.x - a.x) * vx + (p.y - a.y) * vy) / length : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * vx), p.y - (a.y + t * vy));
}

// How far `line` passes from `p`, searching the segments near `*at` (the
// two lines run in the same order) and moving `*at` to the nearest.
double DistanceAlong(const std::vector<PlanePoint>& line, const PlanePoint& p, std::size_t* at) {
  if (line.size() == 1) return std::hypot(p.x - line[0].x, p.y - line[0].y);
  const std::size_t segments = line.size() - 1;
  const std::size_t first = *at > kDeviationWindow ? *at - kDeviationWindow : 0;
  const std::size_t last = std::min(segments, *at + kDeviationWindow + 1);
  double best = std::numeric_limits<double>::infinity();
  for (std::size_t s = first; s < last; ++s) {
    const double d = SegmentDistance(p, line[s], line[s + 1]);
    if (d < best) {
      best = d;
      *at = s;
    }
  }
  return best;
}

}  // namespace

// One side of a conversion: the lines and waypoints of what was read, or of
// what was written.
class PictureBuilder::Side final : public PointSink {
 public:
  Side(PictureBuilder& owner, std::size_t budget) : owner_(owner), budget_(std::max<std::size_t>(budget, 16)) {}

  void Start(TextForm form) { form_ = form; }

  void BeginRun(RunKind kind, std::string_view) override {
    if (kind == RunKind::Waypoint) {
      in_waypoint_ = true;
    } else {
      line_kind_ = kind;
      line_open_ = false;
    }
  }

  bool Point(const StreamPoint& point) override {
    // Points with no coordinates the picture can use are left out of it,
    // never drawn at 0,0.
    const std::optional<double> lat = point.has_numbers ? point.lat_number : gpx::ReadGpxDecimal(point.lat_text);
    const std::optional<double> lon = point.has_numbers ? point.lon_number : gpx::ReadGpxDecimal(point.lon_text);
    if (!lat || !lon || !std::isfinite(*lat) || !std::isfinite(*lon) || std::fabs(*lat) > 90 ||
        std::fabs(*lon) > 1e6) {
      ++unusable_;
      return true;
    }
    ++points_;
    if (in_waypoint_ || !line_kind_) {
      AddWaypoint({*lat, owner_.Unwrap(*lon, nullptr)}, point.name);
      return true;
    }
    if (!line_open_) {
      lines_.push_back({*line_kind_, {}});
      line_open_ = true;
    }
    std::vector<GeoPoint>& points = lines_.back().points;
    const GeoPoint p{*lat, owner_.Unwrap(*lon, points.empty() ? nullptr : &points.back().lon)};
    // Spaced as at the first point's latitude: the cosine once, not per point.
    if (!(cos_lat_ > 0)) cos_lat_ = std::max(std::cos(p.lat * kPi / 180), 1e-3);
    const std::size_t before = points.size();
    Append(points, p, spacing_, cos_lat_);
    kept_ += points.size() - before;
    if (kept_ > limit_) Thin();
    return true;
  }

  // A waypoint told between the points of a track: the track goes on
  // after it.
  void EndRun(RunKind kind, std::uint64_t) override {
    if (kind == RunKind::Waypoint) {
      in_waypoint_ = false;
    } else {
      line_kind_.reset();
      line_open_ = false;
    }
  }

  void PointSkipped(std::uint64_t) override { ++unusable_; }

  std::uint64_t Points() const { return points_; }
  const std::vector<Line>& Lines() const { return lines_; }
  const std::vector<Waypoint>& Waypoints() const { return waypoints_; }

 private:
  // Too many points kept: they are spaced twice as far apart, or at least
  // at a few pixels of the widest picture of what is there, and a line
  // shorter than the spacing becomes a dot.
  void Thin() {
    for (;;) {
      const std::size_t before = kept_;
      double south = 90, north = -90, west = std::numeric_limits<double>::infinity(), east = -west;
      for (const Line& line : lines_) {
        for (const GeoPoint& p : line.points) {
          south = std::min(south, p.lat), north = std::max(north, p.lat);
          west = std::min(west, p.lon), east = std::max(east, p.lon);
        }
      }
      const double extent = SquaredMetres({south, west}, {north, east});
      spacing_ = std::max(spacing_ * 4, extent / (2000.0 * 2000.0));  // squared: twice as far
      if (!(spacing_ > 0)) spacing_ = 1;
      kept_ = 0;
      for (Line& line : lines_) {
        std::vector<GeoPoint> thinned;
        for (const GeoPoint& p : line.points) Append(thinned, p, spacing_, cos_lat_);
        if (thinned.size() == 2 && SquaredMetres(thinned[0], thinned[1], cos_lat_) < spacing_) thinned.pop_back();
        line.points = std::move(thinned);
        kept_ += line.points.size();
      }
      // Done, or what is left is mostly lines' ends, which no spacing takes.
      if (kept_ <= budget_ / 2 || kept_ * 10 > before * 9) break;
    }
    // The next thinning waits until as many points again have come, so
    // that a point costs the same however many lines there are.
    limit_ = std::max(budget_, kept_ * 2);
  }

  // Waypoints beyond the budget: one in two is kept, then one in four...
  void AddWaypoint(const GeoPoint& at, std::string_view name) {
    if (waypoints_seen_++ % waypoint_stride_ != 0) return;
    waypoints_.push_back({at, NameOf(name, form_)});
    if (waypoints_.size() <= budget_ / 8) return;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < waypoints_.size(); i += 2) waypoints_[kept++] = std::move(waypoints_[i]);
    waypoints_.resize(kept);
    waypoint_stride_ *= 2;
  }

  PictureBuilder& owner_;
  std::size_t budget_;
  TextForm form_ = TextForm::Utf8;
  bool in_waypoint_ = false;
  std::optional<RunKind> line_kind_;  // the track or route being told
  bool line_open_ = false;            // its line is the last of lines_
  std::vector<Line> lines_;
  std::vector<Waypoint> waypoints_;
  std::uint64_t waypoints_seen_ = 0, waypoint_stride_ = 1;
  std::size_t kept_ = 0;
  std::size_t limit_ = budget_;  // kept_ past which the lines are thinned
  double spacing_ = 0;           // squared metres
  double cos_lat_ = 0;           // of the first line point's latitude
  std::uint64_t points_ = 0, unusable_ = 0;
};

PictureBuilder::PictureBuilder(std::size_t budget) : budget_(budget) { Clear(); }

PictureBuilder::~PictureBuilder() = default;

PointSink& PictureBuilder::Read(TextForm form) {
  read_ = std::make_unique<Side>(*this, budget_);  // a road reading its input again starts over
  read_->Start(form);
  return *read_;
}

PointSink& PictureBuilder::Written(TextForm form) {
  written_->Start(form);
  return *written_;
}

void PictureBuilder::Clear() {
  read_ = std::make_unique<Side>(*this, budget_);
  written_ = std::make_unique<Side>(*this, budget_);
  has_reference_ = false;
}

double PictureBuilder::Unwrap(double lon, const double* previous) {
  if (!has_reference_) {
    reference_lon_ = lon;
    has_reference_ = true;
  }
  const double near = previous != nullptr ? *previous : reference_lon_;
  return lon + 360 * std::round((near - lon) / 360);
}

Picture PictureBuilder::Build() const {
  Picture picture;
  picture.points_written = written_->Points();
  // After a fit the track as read goes beneath what was written.
  const bool fitted = written_->Points() < read_->Points() && !read_->Lines().empty();
  std::vector<const Side*> sides{written_.get()};
  if (fitted) sides.push_back(read_.get());

  double south = 90, north = -90, west = std::numeric_limits<double>::infinity(), east = -west;
  auto widen = [&](const GeoPoint& p) {
    south = std::min(south, p.lat), north = std::max(north, p.lat);
    west = std::min(west, p.lon), east = std::max(east, p.lon);
  };
  for (const Side* side : sides) {
    for (const Line& line : side->Lines()) std::for_each(line.points.begin(), line.points.end(), widen);
    for (const Waypoint& w : side->Waypoints()) widen(w.at);
  }
  const bool any = south <= north;
  const double lat0 = any ? (south + north) / 2 : 0, lon0 = any ? (west + east) / 2 : 0;
  auto project = [&](const Line& line) {
    std::vector<PlanePoint> points;
    points.reserve(line.points.size());
    for (const GeoPoint& p : line.points) points.push_back(Project(p, lat0, lon0));
    return points;
  };

  if (fitted) {
    for (const Line& line : read_->Lines()) picture.lines.push_back({LineRole::Original, project(line)});
  }
  const std::size_t originals = picture.lines.size();
  for (const Line& line : written_->Lines()) {
    picture.lines.push_back({line.kind == RunKind::Route ? LineRole::Route : LineRole::Track, project(line)});
    const std::vector<PlanePoint>& points = picture.lines.back().points;
    picture.marks.push_back({MarkKind::Start, points.front(), "", 0});
    if (points.size() > 1) picture.marks.push_back({MarkKind::End, points.back(), "", 0});
  }
  for (const Waypoint& w : written_->Waypoints()) {
    picture.marks.push_back({MarkKind::Waypoint, Project(w.at, lat0, lon0), w.name, 0});
  }

  if (fitted) {
    // Each line as read against the line written from it, in file order.
    const std::size_t pairs = std::min(originals, picture.lines.size() - originals);
    Mark worst{MarkKind::LargestDeviation, {}, "", -1};
    for (std::size_t k = 0; k < pairs; ++k) {
      const std::vector<PlanePoint>& written = picture.lines[originals + k].points;
      std::size_t at = 0;
      for (const PlanePoint& p : picture.lines[k].points) {
        const double d = DistanceAlong(written, p, &at);
        if (d > worst.metres) worst = {MarkKind::LargestDeviation, p, "", d};
      }
    }
    if (worst.metres >= 0) picture.marks.push_back(worst);
  }

  ViewBox& box = picture.box;
  box = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
         -std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
  auto include = [&box](const PlanePoint& p) {
    box.min_x = std::min(box.min_x, p.x), box.max_x = std::max(box.max_x, p.x);
    box.min_y = std::min(box.min_y, p.y), box.max_y = std::max(box.max_y, p.y);
  };
  for (const Polyline& line : picture.lines) std::for_each(line.points.begin(), line.points.end(), include);
  for (const Mark& mark : picture.marks) include(mark.at);
  if (!(box.min_x <= box.max_x)) box = {0, 0, 0, 0};
  // A single point, or a line straight north or east, still gets a box.
  auto at_least = [](double& low, double& high) {
    const double missing = kSmallestBox - (high - low);
    if (missing > 0) low -= missing / 2, high += missing / 2;
  };
  at_least(box.min_x, box.max_x);
  at_least(box.min_y, box.max_y);
  picture.scale = ScaleBarFor(std::max(box.Width(), box.Height() * 4 / 3));
  return picture;
}

ScaleBar ScaleBarFor(double width) {
  const double quarter = std::isfinite(width) && width > 0 ? width / 4 : kSmallestBox / 4;
  // The largest of 1, 2 and 5 times a power of ten not over `limit` (at least 1).
  auto round_down = [](double limit) {
    const double power = std::pow(10.0, std::floor(std::log10(limit)));
    for (const double step : {5.0, 2.0, 1.0}) {
      if (step * power <= limit * (1 + 1e-9)) return step * power;
    }
    return power;
  };
  const double miles = round_down(quarter / kMetresPerMile);
  if (miles >= 0.5) {
    const std::string number = miles < 1 ? "0,5" : std::to_string(static_cast<long long>(std::llround(miles)));
    return {miles * kMetresPerMile, number + " NM"};
  }
  const double metres = std::max(1.0, round_down(quarter));
  return {metres, std::to_string(static_cast<long long>(std::llround(metres))) + " m"};
}

PixelFrame::PixelFrame(const ViewBox& box, double left, double top, double width, double height)
    : mid_x_((box.min_x + box.max_x) / 2),
      mid_y_((box.min_y + box.max_y) / 2),
      centre_x_(left + width / 2),
      centre_y_(top + height / 2),
      scale_(1) {
  const double w = box.Width(), h = box.Height();
  if (w > 0 && h > 0 && width > 0 && height > 0) scale_ = std::min(width / w, height / h);
}

}  // namespace tessaline::picture
