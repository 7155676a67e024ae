#pragma once
// Reducing the tracks of one file to a number of points the output can hold,
// keeping their shape: the device reads at most 32,766 lines, other outputs
// take the budget the user chooses.
//
// The method: for an error e, a dynamic programme finds the fewest points a
// track can keep so that every dropped point lies within e of the kept
// segment around it, over shortcuts that skip at most a window of points; a
// search on e finds the smallest e whose counts, summed over every track of
// the file, fit the budget. One e for every track is the best split of a
// shared budget: a straight track gives its points to a wiggly one. What is
// left of the budget then goes, one point at a time, to the gap whose
// farthest point strays most.
//
// Whether a shortcut holds is decided while walking forward from its first
// point: the directions it may take narrow to a wedge, one tangent pair per
// point passed, on the plane tangent to the sphere at that first point, where
// great circles through it are straight lines. The wedge's edges are kept as
// the tangents of their angles to the first point passed outside the error,
// so that narrowing it is a largest and a smallest, without a branch to
// guess. Where a point passed lies farther out than the shortcut's end (the
// track came back), its foot may lie past the end: an end nearer in than the
// farthest point passed by more than e fails at once; otherwise the points
// passed farther out than the end, all on that ring of width e, are measured
// to the segment itself, within a bound of work a walk (16 windows). The
// test never passes a shortcut that strays more than e. The walk ends where
// the wedge closes, at the other hemisphere, or after the window. Runs of
// identical points cost nothing: only the first of a run can be kept (the
// last of a track's last run, which ends it).
//
// Cost: each try of e is O(n * w) for n points and a window of w kept-point
// candidates, w between 256 and 1,024 (4 times the points per kept point);
// about 10 tries down to 2 % of the error, or, on many points, the tries on
// a sixteenth of them (the first ones, to 10 %, on a sixty-fourth), until a
// count comes within 2 % of the budget, and one or two on all. Where the
// window cannot hold the budget (more than 256 points per kept point), a
// first round keeps four times the fewest the window allows, and the next
// rounds run on what it kept (each walking every point between candidates),
// so that the window stays bounded. On many points where nothing strays at
// the least error (a straight run), the whole count runs with the window
// that keeps about half the budget. A walk passes about 1.3 times the points
// between two kept ones: 1,000,000 points to 32,766 take some 50 steps a
// point in all.
// Memory: about 46 bytes a point at the peak (the points' unit vectors, and
// 4 bytes a point for each table of the programme); at most 2^31 - 2 points
// (std::length_error beyond).
// Deterministic: the same input gives the same flags on every run.
//
// Distances are on a sphere of radius kEarthRadiusMetres, measured with unit
// vectors: sound for tiny segments, identical points, the 180th meridian and
// the poles. Points whose coordinates are not numbers have no place: they are
// never kept while their track has points that have one, and no error is
// measured on them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace tessaline {

struct GeoPoint {
  double lat = 0;  // decimal degrees
  double lon = 0;
};

inline constexpr double kEarthRadiusMetres = 6371008.8;

struct ReductionPlan {
  std::vector<std::uint8_t> keep;  // one flag per input point, 1 = kept
  std::uint64_t kept = 0;          // number of flags set
  double max_error_m = 0;          // MaxErrorOfKept of `keep`
};

// What a reduction did, for tests that bound its cost by a count of work
// rather than by a clock: every point passed in a walk and every distance
// measured.
struct ReductionWork {
  std::uint64_t steps = 0;
};

// Called now and then during a long reduction; it may throw to stop it.
using ReductionPause = std::function<void()>;

// The points of every track of one file, in order; track i is
// points[track_starts[i], track_starts[i+1]) and the last ends at
// points.size(). Points before the first start (all of them when
// track_starts is empty) form one more track, so that every point belongs to
// one; track_starts must not decrease nor pass points.size()
// (std::invalid_argument otherwise).
//
// Keeps at most `budget` points over all tracks together, each track keeping
// its first and last point that have coordinates (its first and last point
// when none has). Keeps everything (error 0) when the points fit. nullopt
// when the budget cannot be met: budget < FewestKept.
//
// `fixed`, empty or one flag per point, names points that are kept whatever
// (the named marks of a route): each one also ends a stretch of its track
// for the programme, and counts against the budget.
std::optional<ReductionPlan> ReduceTracks(std::span<const GeoPoint> points,
                                          std::span<const std::size_t> track_starts, std::uint64_t budget,
                                          const ReductionPause& pause = {}, ReductionWork* work = nullptr,
                                          std::span<const std::uint8_t> fixed = {});

// The fewest points ReduceTracks can keep: min(2, size) a track, and every
// fixed point besides its ends.
std::uint64_t FewestKept(std::size_t size, std::span<const std::size_t> track_starts,
                         std::span<const std::uint8_t> fixed = {});

// Distance in metres on the sphere from p to the great-circle segment a-b
// (to the nearer end when p's foot lies outside the segment). A segment of
// zero length, or between two antipodes (no one great circle), is measured
// to its nearer end.
double DistanceToSegmentMetres(GeoPoint p, GeoPoint a, GeoPoint b);

// The one measure of a reduction's error, used by the reduction for what it
// reports, by the summary and by whoever checks it: the largest distance of
// a dropped point to the segment of the kept points around it in its track,
// or to the nearer kept point of its track when it lies before the first or
// after the last. Points without coordinates are left out, as ends and as
// dropped points. Infinity when a track has points with coordinates but
// none of them kept.
double MaxErrorOfKept(std::span<const GeoPoint> points, std::span<const std::size_t> track_starts,
                      std::span<const std::uint8_t> keep);

// The same measure for one shortcut: the largest distance of the points
// with coordinates strictly between points[from] and points[to] (both with
// coordinates, from < to) to the segment between them; for tables of every
// shortcut of a track. The points go to unit vectors once, on construction.
class ShortcutError {
 public:
  explicit ShortcutError(std::span<const GeoPoint> points);

  double Metres(std::size_t from, std::size_t to) const;

 private:
  std::vector<double> xyz_;  // three a point; NaN for a point without coordinates
};

}  // namespace tessaline
