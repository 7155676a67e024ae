#include "convert/track_reduction.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>

namespace tessaline {
namespace {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

Vec3 ToUnit(GeoPoint p) {
  constexpr double kRadians = std::numbers::pi / 180.0;
  const double lat = p.lat * kRadians, lon = p.lon * kRadians;
  const double c = std::cos(lat);
  return {c * std::cos(lon), c * std::sin(lon), std::sin(lat)};
}

bool HasPlace(Vec3 u) { return std::isfinite(u.x) && std::isfinite(u.y) && std::isfinite(u.z); }

// Below this sine of the angle between its ends, a segment has no one great
// circle (its ends are a few micrometres apart or antipodes) and is measured
// to its nearer end: the error that makes is far below a metre.
constexpr double kNoGreatCircle = 1e-12;

// Distances are compared as squared chords, 2 - 2 cos(angle), computed
// without the cancellation of 1 - cos: monotonic in the angle and accurate
// down to millimetres.
class Segment {
 public:
  Segment(Vec3 a, Vec3 b) : a_(a), b_(b) {
    // a x b from the sum and the difference: the difference of two close
    // points is exact, so the normal keeps its precision however close the
    // ends are, where a x b itself loses digits as they near.
    const Vec3 c = Cross(a + b, b - a);
    const double length = std::sqrt(Dot(c, c));
    line_ = length > 2 * kNoGreatCircle;
    if (line_) {
      normal_ = {c.x / length, c.y / length, c.z / length};
      after_a_ = Cross(normal_, a);
      before_b_ = Cross(b, normal_);
    }
  }

  double SquaredChord(Vec3 p) const {
    if (OnArc(p)) {
      const double s = Dot(p, normal_);
      return FromSine2(s * s);
    }
    return std::min(SquaredDistance(p, a_), SquaredDistance(p, b_));
  }

  static double SquaredDistance(Vec3 p, Vec3 q) {
    const Vec3 d = p - q;
    return Dot(d, d);
  }

 private:
  // Whether p's foot on the great circle lies on the arc between the ends.
  bool OnArc(Vec3 p) const { return line_ && Dot(p, after_a_) >= 0 && Dot(p, before_b_) >= 0; }
  // The chord of the cross-track angle from the square of its sine.
  static double FromSine2(double s2) { return 2 * s2 / (1 + std::sqrt(std::max(0.0, 1 - s2))); }

  Vec3 a_, b_, normal_, after_a_, before_b_;
  bool line_ = false;
};

double ChordToMetres(double squared_chord) {
  if (std::isnan(squared_chord) || std::isinf(squared_chord)) return std::numeric_limits<double>::infinity();
  const double half = std::min(1.0, std::sqrt(squared_chord) / 2);
  return 2 * std::asin(half) * kEarthRadiusMetres;
}

// The farthest of units[from, to) with a place from the segment a-b: its
// squared chord (0 when none) and where it is.
struct Far {
  double squared_chord = 0;
  std::size_t at = 0;
};

Far Farthest(const std::vector<Vec3>& units, std::size_t a, std::size_t b, std::size_t from, std::size_t to) {
  const Segment segment(units[a], units[b]);
  Far far{0, from};
  for (std::size_t i = from; i < to; ++i) {
    if (!HasPlace(units[i])) continue;
    const double d = segment.SquaredChord(units[i]);
    if (d > far.squared_chord) far = {d, i};
  }
  return far;
}

struct Track {
  std::size_t begin = 0, end = 0;
};

// The tracks as the header states them, empty ones left out.
std::vector<Track> TracksOf(std::size_t size, std::span<const std::size_t> starts) {
  std::vector<Track> tracks;
  std::size_t previous = 0;
  for (std::size_t i = 0; i <= starts.size(); ++i) {
    const std::size_t next = i < starts.size() ? starts[i] : size;
    if (next < previous || next > size) throw std::invalid_argument("track starts out of order or past the points");
    if (next > previous) tracks.push_back({previous, next});
    previous = next;
  }
  return tracks;
}

std::vector<Vec3> UnitsOf(std::span<const GeoPoint> points) {
  std::vector<Vec3> units;
  units.reserve(points.size());
  for (const GeoPoint& p : points) units.push_back(ToUnit(p));
  return units;
}

double MaxErrorOfUnits(const std::vector<Vec3>& units, const std::vector<Track>& tracks,
                       std::span<const std::uint8_t> keep) {
  double largest = 0;
  for (const Track& track : tracks) {
    std::size_t previous = track.end;  // the last kept point with a place so far, none yet
    bool placed = false;
    for (std::size_t i = track.begin; i < track.end; ++i) {
      if (!HasPlace(units[i])) continue;
      placed = true;
      if (!keep[i]) continue;
      if (previous == track.end) {
        for (std::size_t j = track.begin; j < i; ++j)
          if (HasPlace(units[j])) largest = std::max(largest, Segment::SquaredDistance(units[j], units[i]));
      } else {
        largest = std::max(largest, Farthest(units, previous, i, previous + 1, i).squared_chord);
      }
      previous = i;
    }
    if (!placed) continue;
    if (previous == track.end) return std::numeric_limits<double>::infinity();
    for (std::size_t j = previous + 1; j < track.end; ++j)
      if (HasPlace(units[j])) largest = std::max(largest, Segment::SquaredDistance(units[j], units[previous]));
  }
  return ChordToMetres(largest);
}

constexpr std::uint32_t kUnreached = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kMostPoints = std::numeric_limits<std::uint32_t>::max() / 2 - 1;
constexpr std::size_t kWindowPerKept = 4, kLeastWindow = 256, kMostWindow = 1024;
constexpr std::uint64_t kStepsBetweenPauses = 1 << 16;
constexpr std::size_t kSampleStretch = 4096, kSampleEvery = 16, kCoarseEvery = 64;
constexpr std::size_t kChecksPerWindow = 16;
constexpr double kCloseEnough = 0.98;  // of the target, for a count on a sample
constexpr std::size_t kLeastStraightWindow = 16;
constexpr double kTiniestSine = 1e-12;  // some micrometres: below it, an error of 0
constexpr double kHalfQuarterCosine = 0.7072;  // a little above the cosine of 45 degrees

// The fewest kept points for an error, over the candidates of every track.
class Programme {
 public:
  Programme(const std::vector<Vec3>& units, const ReductionPause& pause, ReductionWork& work)
      : units_(units), pause_(pause), work_(work) {}

  // A track's points with a place, in order; their first is a candidate.
  void AddTrack(std::span<const std::size_t> placed) {
    const std::size_t first = size_;
    // While the tracks follow each other over every point, the programme's
    // positions are the points' own and their unit vectors those given:
    // nothing is copied.
    if (identity_ && !placed.empty() && (placed.front() != first || placed.back() != first + placed.size() - 1)) {
      positions_.resize(size_);
      for (std::size_t p = 0; p < size_; ++p) positions_[p] = static_cast<std::uint32_t>(p);
      own_placed_.assign(units_.begin(), units_.begin() + static_cast<std::ptrdiff_t>(size_));
      identity_ = false;
    }
    size_ += placed.size();
    if (!identity_) {
      for (const std::size_t i : placed) {
        positions_.push_back(static_cast<std::uint32_t>(i));
        own_placed_.push_back(units_[i]);
      }
    }
    placed_ = identity_ ? units_.data() : own_placed_.data();
    // Whether every point lies within 45 degrees of the first: no two then
    // lie a quarter-turn apart, and no walk needs to look for the other
    // hemisphere.
    for (std::size_t p = first; p < size_; ++p) compact_ = compact_ && Dot(placed_[p], placed_[0]) > kHalfQuarterCosine;
    next_distinct_.resize(size_);
    // Runs of identical points: only their first can be a candidate, and a
    // walk passes over the rest at once.
    for (std::size_t p = size_; p-- > first;) {
      const std::size_t q = p + 1;
      const bool same = q < size_ && Same(placed_[p], placed_[q]);
      next_distinct_[p] = static_cast<std::uint32_t>(same ? next_distinct_[q] : q);
    }
    candidate_tracks_.push_back({candidates_.size(), 0});
    for (std::size_t p = first; p < size_; p = next_distinct_[p]) candidates_.push_back(static_cast<std::uint32_t>(p));
    if (placed.size() > 1 && candidates_.back() != size_ - 1) {
      if (candidates_.back() != first && Same(placed_[candidates_.back()], placed_[size_ - 1]))
        candidates_.back() = static_cast<std::uint32_t>(size_ - 1);  // the last run ends the track
      else
        candidates_.push_back(static_cast<std::uint32_t>(size_ - 1));
    }
    candidate_tracks_.back().end = candidates_.size();
  }

  // Keeps at most `budget` candidates (at least every track's ends), in
  // rounds while the points per kept point exceed what one window holds.
  // Returns the positions kept.
  std::vector<std::uint32_t> Solve(std::uint64_t budget) {
    for (;;) {
      const std::size_t c = candidates_.size();
      window_ = std::clamp<std::size_t>(kWindowPerKept * ((c + budget - 1) / std::max<std::uint64_t>(1, budget)),
                                        kLeastWindow, kMostWindow);
      std::uint64_t least = 0;
      for (const Range& t : candidate_tracks_) {
        const std::size_t n = t.end - t.begin;
        least += n <= 2 ? n : 1 + (n - 1 + window_ - 1) / window_;
      }
      const bool last_round = least <= budget;
      const std::uint64_t target = last_round ? budget : std::max<std::uint64_t>(budget, std::min<std::uint64_t>(c - 1, 4 * least));
      Search(target);
      std::vector<std::uint32_t> kept;
      std::vector<Range> kept_tracks;
      for (const Range& t : candidate_tracks_) {
        const std::size_t first = kept.size();
        if (t.end > t.begin) {
          for (std::size_t k = t.end - 1;; k = parent_[k]) {
            kept.push_back(candidates_[k]);
            if (k == t.begin) break;
          }
          std::reverse(kept.begin() + static_cast<std::ptrdiff_t>(first), kept.end());
        }
        kept_tracks.push_back({first, kept.size()});
      }
      candidates_ = std::move(kept);
      candidate_tracks_ = std::move(kept_tracks);
      if (last_round || candidates_.size() <= budget) return Positions();
    }
  }

  std::size_t PlacedAt(std::size_t position) const { return identity_ ? position : positions_[position]; }

 private:
  struct Range {
    std::size_t begin = 0, end = 0;
  };

  static bool Same(Vec3 a, Vec3 b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

  std::vector<std::uint32_t> Positions() const { return candidates_; }

  void Step() { Steps(1); }
  void Steps(std::uint64_t count) {
    const std::uint64_t before = work_.steps;
    work_.steps += count;
    if (pause_ && before / kStepsBetweenPauses != work_.steps / kStepsBetweenPauses) pause_();
  }

  // The smallest error (as the sine of its angle) found whose count fits
  // `target`, leaving parent_ for it. The search runs on the logarithm of
  // the error down to 2 %: from the typical error of keeping candidates
  // evenly, stepping by the count's ratio to the target (the count of a
  // smooth track goes as one over the root of the error), then between the
  // two closest tries by the line through their logarithms.
  void Search(std::uint64_t target) {
    if (Count(0, target) <= target) return;
    double e = EvenError(target), least_step = 1.5, slope = 0;
    // On many candidates, the search first runs on a sixteenth of them, in
    // stretches spread over every track, from where the line through the
    // closest tries meets the target, until a count fits within 2 % of it;
    // the whole count then starts half a percent above and takes the first
    // error that fits (one or two whole counts instead of ten). On more
    // still, a first search to 10 % on a sixty-fourth of them takes the
    // costly first tries.
    if (candidates_.size() > 2 * kSampleEvery * kSampleStretch) {
      sample_ = true;
      if (candidates_.size() > 2 * kCoarseEvery * kSampleStretch) {
        sample_every_ = kCoarseEvery;
        e = Find(e, target, least_step, slope, false, 1.1, 0).met;
        least_step = 1.002;
      }
      sample_every_ = kSampleEvery;
      const Found sampled = Find(e, target, least_step, slope, false, 1.02, kCloseEnough);
      sample_ = false;
      // Nothing strays at the least error (a straight run): the window alone
      // bounds the count, and every walk goes its whole length. A window
      // that keeps about half the budget does as well for a fraction of it.
      if (sampled.found <= kTiniestSine && 2 * sampled.count < target)
        window_ = std::max<std::size_t>(kLeastStraightWindow, window_ * 2 * sampled.count / target);
      Find(sampled.found * 1.005, target, 1.02, slope, true, 1.02, 0);
      return;
    }
    Find(e, target, least_step, slope, false, 1.02, 0);
  }

  struct Found {
    double found = 0;         // the smallest error found whose count fits
    double met = 0;           // where the line through the closest tries meets the target
    std::uint64_t count = 0;  // the count at `found`
  };

  // The search from `e`; parent_ left for the error found. It ends when the
  // closest tries are within `close` of each other, or at a count that fits
  // and reaches `enough` times the target. `slope`, when above 0, is how
  // the logarithm of the count falls with that of the error, for the first
  // steps; the search leaves there the slope it saw last.
  Found Find(double e, std::uint64_t target, double least_step, double& slope, bool first_fit, double close,
             double enough) {
    double lo = 0, hi = 0;
    std::uint64_t lo_count = 0, hi_count = 0;
    bool best = false;  // best_ holds the parents of hi
    int same_side = 0, last_side = 0;
    const double log_target = std::log(static_cast<double>(target));
    const auto meets = [&](double x_lo, double x_hi) {
      const double y_lo = std::log(static_cast<double>(lo_count)) - log_target;
      const double y_hi = std::log(static_cast<double>(std::max<std::uint64_t>(1, hi_count))) - log_target;
      return y_lo > y_hi ? x_lo + y_lo / (y_lo - y_hi) * (x_hi - x_lo) : 0.5 * (x_lo + x_hi);
    };
    for (int tries = 0; tries < 60; ++tries) {
      const std::uint64_t count = Count(e, target);
      const int side = count <= target ? 1 : -1;
      same_side = side == last_side ? same_side + 1 : 0;
      last_side = side;
      if (side > 0) {
        hi = e, hi_count = count;
        if (!sample_) {
          best_.swap(parent_);  // the next count fills parent_ anew
          best = true;
        }
      } else {
        lo = e, lo_count = count;
      }
      if (hi > 0 && (first_fit || hi <= lo * close || hi <= kTiniestSine ||
                     (enough > 0 && static_cast<double>(hi_count) >= enough * static_cast<double>(target))))
        break;
      const double ratio = static_cast<double>(std::max<std::uint64_t>(1, count)) / static_cast<double>(target);
      // With a slope known, a step lands just above where the count meets
      // the target; without one, it takes the count's ratio as the error's.
      const double step = slope > 0 ? std::pow(side > 0 ? 1 / ratio : ratio, 1 / slope) * 1.005 : (side > 0 ? 1 / ratio : ratio);
      if (hi == 0) {
        if (e >= 1) break;  // nothing fits: cannot happen with a window that holds the budget
        e = std::min(1.0, e * std::clamp(step, least_step, 16.0));
      } else if (lo == 0) {
        e = std::max(kTiniestSine, e / std::clamp(slope > 0 ? step / 1.01 : step, least_step, 16.0));
      } else {
        const double x_lo = std::log(lo), x_hi = std::log(hi);
        if (lo_count > hi_count && x_hi > x_lo)
          slope = (std::log(static_cast<double>(lo_count)) - std::log(static_cast<double>(std::max<std::uint64_t>(1, hi_count)))) / (x_hi - x_lo);
        double x = 0.5 * (x_lo + x_hi);
        if (same_side < 2) x = std::clamp(meets(x_lo, x_hi), x_lo + 0.05 * (x_hi - x_lo), x_hi - 0.05 * (x_hi - x_lo));
        e = std::exp(x);
      }
    }
    if (best) parent_.swap(best_);
    Found found{hi > 0 ? hi : e, hi > 0 ? hi : e, hi_count};
    if (hi > 0 && lo > 0 && lo < hi) found.met = std::clamp(std::exp(meets(std::log(lo), std::log(hi))), lo, hi);
    return found;
  }

  // The sine of the typical error of keeping every k-th candidate, k the
  // candidates per kept point (the middle of their shortcuts' errors):
  // where the search starts.
  double EvenError(std::uint64_t target) {
    const std::size_t every = std::max<std::size_t>(1, (candidates_.size() + target - 1) / std::max<std::uint64_t>(1, target));
    std::vector<double> errors;
    for (const Range& t : candidate_tracks_) {
      for (std::size_t a = t.begin; a + 1 < t.end; a += every) {
        const std::size_t b = std::min(t.end - 1, a + every);
        const std::size_t pa = candidates_[a], pb = candidates_[b];
        const Segment segment(placed_[pa], placed_[pb]);
        double largest = 0;
        for (std::size_t p = pa + 1; p < pb; p = next_distinct_[p]) {
          Step();
          largest = std::max(largest, segment.SquaredChord(placed_[p]));
        }
        errors.push_back(largest);
      }
    }
    if (errors.empty()) return kTiniestSine;
    std::nth_element(errors.begin(), errors.begin() + static_cast<std::ptrdiff_t>(errors.size() / 2), errors.end());
    // The chord's square to the sine of the angle.
    const double chord = std::sqrt(errors[errors.size() / 2]);
    return std::clamp(chord * std::sqrt(std::max(0.0, 1 - chord * chord / 4)), kTiniestSine, 1.0);
  }

  // The fewest candidates to keep with every shortcut within the error whose
  // sine is `sine`. Once the count passes `target` (the fewest to a
  // candidate, a track's fewest hardly ever being below its candidates'),
  // the count is left unfinished and what it would be is told from how far
  // it went: enough for the search.
  std::uint64_t Count(double sine, std::uint64_t target) {
    f_.assign(candidates_.size(), kUnreached);
    parent_.assign(candidates_.size(), 0);
    if (sample_) return SampledCount(sine);
    std::uint64_t total = 0;
    for (const Range& t : candidate_tracks_) {
      if (t.end == t.begin) continue;
      f_[t.begin] = 1;
      parent_[t.begin] = static_cast<std::uint32_t>(t.begin);
      for (std::size_t a = t.begin; a + 1 < t.end; ++a) {
        if (total + f_[a] > target + 2) {
          const double done = static_cast<double>(a + 1) / static_cast<double>(candidates_.size());
          return static_cast<std::uint64_t>(static_cast<double>(total + f_[a]) / done) + 1;
        }
        Walk(a, t.end, sine);
      }
      total += f_[t.end - 1];
    }
    return total;
  }

  // The count told from one stretch of candidates in sixteen, each counted
  // on its own: the shortcuts they need, in proportion to all candidates.
  std::uint64_t SampledCount(double sine) {
    std::uint64_t ends = 0, stretches = 0;
    double shortcuts = 0, counted = 0, all = 0;
    for (const Range& t : candidate_tracks_) {
      if (t.end == t.begin) continue;
      ++ends;
      all += static_cast<double>(t.end - t.begin - 1);
      for (std::size_t begin = t.begin; begin + 1 < t.end; begin += kSampleStretch) {
        const std::size_t end = std::min(t.end, begin + kSampleStretch + 1);
        if (stretches++ % sample_every_ != 0) continue;
        f_[begin] = 1;
        for (std::size_t a = begin; a + 1 < end; ++a) Walk(a, end, sine);
        shortcuts += f_[end - 1] - 1;
        counted += static_cast<double>(end - begin - 1);
      }
    }
    return ends + static_cast<std::uint64_t>(counted > 0 ? shortcuts * all / counted : 0);
  }

  // From candidate a, every candidate a shortcut within the error reaches.
  void Walk(std::size_t a, std::size_t end, double s) {
    const std::size_t last_candidate = std::min(end - 1, a + window_);
    // Where every position up to the window's end is a candidate (no run of
    // identical points, every point still a candidate), the walk needs not
    // look them up.
    const bool dense = candidates_[last_candidate] - candidates_[a] == last_candidate - a;
    if (compact_) {
      if (dense)
        Walk<true, false>(a, end, s, last_candidate);
      else
        Walk<false, false>(a, end, s, last_candidate);
    } else if (dense) {
      Walk<true, true>(a, end, s, last_candidate);
    } else {
      Walk<false, true>(a, end, s, last_candidate);
    }
  }

  template <bool kDense, bool kHemispheres>
  void Walk(std::size_t a, std::size_t end, double s, std::size_t last_candidate) {
    const std::uint32_t reached = f_[a] + 1;
    const std::size_t last = candidates_[last_candidate], track_last = candidates_[end - 1];
    const Vec3 u = placed_[candidates_[a]];
    // A frame of the plane tangent at u.
    const Vec3 axis = std::abs(u.z) < 0.9 ? Vec3{0, 0, 1} : Vec3{1, 0, 0};
    Vec3 e1 = Cross(axis, u);
    const double n1 = std::sqrt(Dot(e1, e1));
    e1 = {e1.x / n1, e1.y / n1, e1.z / n1};
    Vec3 e2 = Cross(u, e1);
    const double s2 = s * s;
    // The wedge of directions, once a point lies outside the disc of the
    // error: the frame turns then so that e1 points to that first point,
    // and the wedge's edges are the tangents of their angles to e1, `right`
    // below `left`. The wedge lies within that point's cone, under a
    // quarter-turn of e1 on either side, where the tangent grows with the
    // angle: narrowing the wedge is a largest and a smallest, and nothing
    // waits on a guess.
    bool wedge = false;
    double right = 0, left = 0;
    // The farthest of the points passed outside the disc of the error, and
    // the inner edge of its ring (both squared), that edge worked out only
    // when an end needs it: until then it may lag behind, which keeps a few
    // more points on the ring.
    double farthest2 = 0, inner2 = 0;
    bool inner_due = false;
    ring_.clear();
    const double chord2 = 2 * s2 / (1 + std::sqrt(std::max(0.0, 1 - s2)));  // the error's squared chord
    std::size_t checks = kChecksPerWindow * window_;  // left for this walk
    std::size_t next = a + 1, next_at = candidates_[next], steps = 0;
    const auto from = static_cast<std::uint32_t>(a);
    const Vec3* const points = placed_;
    std::uint32_t* const f = f_.data();
    std::uint32_t* const parent = parent_.data();
    for (std::size_t p = kDense ? candidates_[a] + 1 : std::min<std::size_t>(next_distinct_[candidates_[a]], track_last); p <= last;) {
      ++steps;
      const double qx = points[p].x, qy = points[p].y, qz = points[p].z;
      if (kHemispheres && !(qx * u.x + qy * u.y + qz * u.z > 0)) break;
      const double x = qx * e1.x + qy * e1.y + qz * e1.z, y = qx * e2.x + qy * e2.y + qz * e2.z, r2 = x * x + y * y;
      if (kDense || p == next_at) {
        // Whether it lies in the wedge is as good as random: worked out
        // without a branch, which a missed guess costs more than the sums.
        bool within = (!wedge) | ((x > 0) & (right * x <= y) & (y <= left * x));
        // Nearer than a point passed (the track came back): a point passed
        // farther out than this end by more than the error lies beyond it
        // whatever the direction, so the end fails; within that, only the
        // points passed farther out than the end can have their foot past
        // it, and they lie on the ring within the error of the farthest:
        // those are measured to the segment itself.
        if (within & (r2 < farthest2)) {
          if (inner_due) {
            const double inner = std::sqrt(farthest2) - s;
            inner2 = inner * inner;
            inner_due = false;
          }
          within = r2 >= inner2 && reached < f_[next] && RingHolds(candidates_[a], p, r2, inner2, chord2, checks);
        }
        const std::uint32_t before = f[next];
        const std::uint32_t better = 0u - static_cast<std::uint32_t>(within & (reached < before));
        f[next] = before ^ ((before ^ reached) & better);
        parent[next] ^= (parent[next] ^ from) & better;
        if (next == last_candidate) break;
        ++next;
        if (!kDense) next_at = candidates_[next];
      }
      if (r2 > s2) {
        inner_due |= r2 > farthest2;
        farthest2 = std::max(farthest2, r2);
        if (r2 >= inner2) ring_.push_back({r2, p});
        // The directions within the error of the point lie between its two
        // tangents, turned from it by the angle whose sine is s / r:
        // (x t + y s, y t - x s) and (x t - y s, y t + x s), t = sqrt(r2 - s2).
        const double t = std::sqrt(r2 - s2);
        if (!wedge) {
          const double r = std::sqrt(r2);
          const Vec3 turned = {(x * e1.x + y * e2.x) / r, (x * e1.y + y * e2.y) / r, (x * e1.z + y * e2.z) / r};
          e2 = Cross(u, turned);
          e1 = turned;
          left = s / t, right = -left;
          wedge = true;
        } else if (x > s) {
          // The disc lies ahead of the first direction: both tangents are
          // within a quarter-turn of it, and their tangents against it,
          // y_right / x_right and y_left / x_left, come to
          // (x y -+ s t) / (x^2 - s^2): one division.
          const double inverse = 1 / (x * x - s2), xy = x * y, st = s * t;
          right = std::max(right, (xy - st) * inverse);
          left = std::min(left, (xy + st) * inverse);
          if (!(right <= left)) break;
        } else {
          // A tangent beyond a quarter-turn of e1 bounds nothing on its
          // side; both beyond, and the cone (under a half-turn) misses the
          // wedge.
          const double x_right = x * t + y * s, y_right = y * t - x * s;
          const double x_left = x * t - y * s, y_left = y * t + x * s;
          if (!(x_right > 0) && !(x_left > 0)) break;
          if (x_right > 0) right = std::max(right, y_right / x_right);
          if (x_left > 0) left = std::min(left, y_left / x_left);
          if (!(right <= left)) break;
        }
      }
      if (p == track_last) break;
      p = kDense ? p + 1 : std::min<std::size_t>(next_distinct_[p], track_last);
    }
    // The next candidate is always reached, whatever lies between: a track
    // on both hemispheres still gets a plan, measured honestly afterwards.
    Reach(a + 1, a, reached);
    Steps(steps);
  }

  // Whether the points of the ring farther out than `r2` (squared, as
  // `inner2`) lie within the squared chord of the segment between positions
  // from and to; the ring loses on the way those below `inner2`, out of
  // reach of every later end. False once the walk's checks are spent.
  bool RingHolds(std::size_t from, std::size_t to, double r2, double inner2, double chord2, std::size_t& checks) {
    const Segment segment(placed_[from], placed_[to]);
    std::size_t kept = 0;
    bool holds = true;
    for (std::size_t i = 0; i < ring_.size(); ++i) {
      const RingPoint point = ring_[i];
      if (point.r2 < inner2) continue;
      ring_[kept++] = point;
      if (!holds) continue;
      if (checks == 0) {
        holds = false;
        continue;
      }
      --checks;
      Step();
      if (point.r2 > r2) holds = segment.SquaredChord(placed_[point.position]) <= chord2;
    }
    ring_.resize(kept);
    return holds;
  }

  void Reach(std::size_t b, std::size_t a, std::uint32_t count) {
    if (count < f_[b]) {
      f_[b] = count;
      parent_[b] = static_cast<std::uint32_t>(a);
    }
  }

  const std::vector<Vec3>& units_;
  const ReductionPause& pause_;
  ReductionWork& work_;
  // The points with a place, track by track: their positions, and their
  // unit vectors for walks in order; while identity_, the points' own.
  std::size_t size_ = 0;
  bool identity_ = true;
  std::vector<std::uint32_t> positions_;
  std::vector<Vec3> own_placed_;
  const Vec3* placed_ = nullptr;
  std::vector<std::uint32_t> next_distinct_;  // per position: the next that is not the same point
  std::vector<std::uint32_t> candidates_;     // positions that may be kept
  std::vector<Range> candidate_tracks_;
  std::size_t window_ = kLeastWindow;
  bool compact_ = true;
  bool sample_ = false;
  std::size_t sample_every_ = kSampleEvery;
  std::vector<std::uint32_t> f_, parent_, best_;
  struct RingPoint {
    double r2 = 0;
    std::size_t position = 0;
  };
  std::vector<RingPoint> ring_;  // of a walk: the points passed near its farthest
};

// What is left of the budget after the programme goes to the gap whose
// farthest point strays most, that point kept, until the budget is spent,
// nothing strays, or the work passes a bound in proportion to the points.
void Spend(const std::vector<Vec3>& units, const std::vector<Track>& tracks, std::uint64_t left,
           std::vector<std::uint8_t>& keep, ReductionWork& work, const ReductionPause& pause) {
  struct Gap {
    double squared_chord = 0;
    std::size_t first = 0, last = 0, farthest = 0;
  };
  const auto nearer = [](const Gap& x, const Gap& y) {
    if (x.squared_chord != y.squared_chord) return x.squared_chord < y.squared_chord;
    return x.first > y.first;
  };
  const std::uint64_t bound = work.steps + 8 * static_cast<std::uint64_t>(units.size());
  std::vector<Gap> queue;
  const auto open = [&](std::size_t first, std::size_t last) {
    if (last - first < 2) return;
    work.steps += last - first;
    if (pause && work.steps % kStepsBetweenPauses < last - first) pause();
    const Far far = Farthest(units, first, last, first + 1, last);
    if (far.squared_chord <= 0) return;
    queue.push_back({far.squared_chord, first, last, far.at});
    std::push_heap(queue.begin(), queue.end(), nearer);
  };
  for (const Track& track : tracks) {
    std::size_t previous = track.end;
    for (std::size_t i = track.begin; i < track.end; ++i) {
      if (!keep[i] || !HasPlace(units[i])) continue;
      if (previous != track.end) open(previous, i);
      previous = i;
    }
  }
  while (left > 0 && !queue.empty() && work.steps < bound) {
    std::pop_heap(queue.begin(), queue.end(), nearer);
    const Gap gap = queue.back();
    queue.pop_back();
    keep[gap.farthest] = 1;
    --left;
    open(gap.first, gap.farthest);
    open(gap.farthest, gap.last);
  }
}

}  // namespace

std::uint64_t FewestKept(std::size_t size, std::span<const std::size_t> track_starts,
                         std::span<const std::uint8_t> fixed) {
  if (!fixed.empty() && fixed.size() != size) throw std::invalid_argument("one fixed flag per point");
  std::uint64_t fewest = 0;
  for (const Track& track : TracksOf(size, track_starts)) {
    fewest += std::min<std::size_t>(2, track.end - track.begin);
    if (fixed.empty()) continue;
    for (std::size_t i = track.begin + 1; i + 1 < track.end; ++i) fewest += fixed[i];
  }
  return fewest;
}

std::optional<ReductionPlan> ReduceTracks(std::span<const GeoPoint> points,
                                          std::span<const std::size_t> track_starts, std::uint64_t budget,
                                          const ReductionPause& pause, ReductionWork* work,
                                          std::span<const std::uint8_t> fixed) {
  const std::vector<Track> tracks = TracksOf(points.size(), track_starts);
  if (budget < FewestKept(points.size(), track_starts, fixed)) return std::nullopt;

  ReductionPlan plan;
  if (points.size() <= budget) {
    plan.keep.assign(points.size(), 1);
    plan.kept = points.size();
    return plan;
  }
  // Positions and candidates are kept in 32 bits; a fixed point may count twice.
  if (points.size() > kMostPoints) throw std::length_error("too many points to reduce");
  ReductionWork own;
  ReductionWork& counted = work ? *work : own;
  const std::vector<Vec3> units = UnitsOf(points);
  plan.keep.assign(points.size(), 0);
  // A track without any point that has a place keeps its ends as they are;
  // the others go to the programme with their points that have one, in
  // stretches between fixed points. A fixed point between two stretches
  // ends one and starts the next: the programme counts it twice.
  Programme programme(units, pause, counted);
  std::uint64_t taken = 0, twice = 0;
  std::vector<std::size_t> placed;
  for (const Track& track : tracks) {
    placed.clear();
    for (std::size_t i = track.begin; i < track.end; ++i) {
      const bool is_fixed = !fixed.empty() && fixed[i];
      if (HasPlace(units[i])) {
        placed.push_back(i);
      } else if (is_fixed && !plan.keep[i]) {
        plan.keep[i] = 1;
        ++taken;
      }
      if (is_fixed && HasPlace(units[i]) && placed.size() > 1 && i + 1 < track.end) {
        programme.AddTrack(placed);
        placed.assign(1, i);
        ++twice;
      }
    }
    if (placed.empty()) {
      for (const std::size_t end : {track.begin, track.end - 1}) {
        taken += plan.keep[end] == 0;
        plan.keep[end] = 1;
      }
    }
    programme.AddTrack(placed);
  }
  std::vector<std::size_t>().swap(placed);  // not to hold it through the programme
  if (taken > budget) return std::nullopt;
  const std::uint64_t fixed_count = taken;
  for (const std::size_t position : programme.Solve(budget - fixed_count + twice))
    plan.keep[programme.PlacedAt(position)] = 1;
  plan.kept = static_cast<std::uint64_t>(std::count(plan.keep.begin(), plan.keep.end(), 1));
  plan.max_error_m = MaxErrorOfUnits(units, tracks, plan.keep);
  if (plan.kept < budget && plan.max_error_m > 0) {
    std::vector<std::uint8_t> more = plan.keep;
    Spend(units, tracks, budget - plan.kept, more, counted, pause);
    const double error = MaxErrorOfUnits(units, tracks, more);
    if (error <= plan.max_error_m) {
      plan.keep = std::move(more);
      plan.max_error_m = error;
      plan.kept = static_cast<std::uint64_t>(std::count(plan.keep.begin(), plan.keep.end(), 1));
    }
  }
  return plan;
}

double DistanceToSegmentMetres(GeoPoint p, GeoPoint a, GeoPoint b) {
  return ChordToMetres(Segment(ToUnit(a), ToUnit(b)).SquaredChord(ToUnit(p)));
}

double MaxErrorOfKept(std::span<const GeoPoint> points, std::span<const std::size_t> track_starts,
                      std::span<const std::uint8_t> keep) {
  if (keep.size() != points.size()) throw std::invalid_argument("one keep flag per point");
  return MaxErrorOfUnits(UnitsOf(points), TracksOf(points.size(), track_starts), keep);
}

ShortcutError::ShortcutError(std::span<const GeoPoint> points) {
  xyz_.reserve(3 * points.size());
  for (const GeoPoint& p : points) {
    const Vec3 u = ToUnit(p);
    xyz_.insert(xyz_.end(), {u.x, u.y, u.z});
  }
}

double ShortcutError::Metres(std::size_t from, std::size_t to) const {
  const auto at = [&](std::size_t i) { return Vec3{xyz_[3 * i], xyz_[3 * i + 1], xyz_[3 * i + 2]}; };
  const Segment segment(at(from), at(to));
  double largest = 0;
  for (std::size_t i = from + 1; i < to; ++i) {
    const Vec3 u = at(i);
    if (HasPlace(u)) largest = std::max(largest, segment.SquaredChord(u));
  }
  return ChordToMetres(largest);
}

}  // namespace tessaline
