#pragma once
// Reducing the tracks of one file to a number of points the output can hold,
// keeping their shape: the device reads at most 32,766 lines, other outputs
// take the budget the user chooses.
//
// The method is top-down: every track starts as the segment between its first
// and last point; the dropped point farthest from the kept line, over all
// tracks of the file, is added back next, until the budget is spent. One
// queue over every track's segments shares the budget, so a straight track
// gives its points to a wiggly one and the file's largest error is what the
// method makes smallest. Top-down then goes on 5 % past the budget and
// bottom-up (removing the kept point whose removal strays least) thins that
// back to the budget; whichever of the two plans has the smaller largest
// error is returned. On realistic tracks neither greedy method alone wins
// every time; bench/reduction measures all three.
//
// Distances are on a sphere of radius kEarthRadiusMetres, measured with unit
// vectors: sound for tiny segments, identical points, the 180th meridian and
// the poles. Cost: O(n log n) expected for n points (O(n * budget) at worst,
// for a path that spirals inwards); memory 24 bytes a point besides the
// flags, and about 100 bytes per kept point.
// Deterministic: the same input gives the same flags on every run; among
// equally far points the earliest is kept first.

#include <cstddef>
#include <cstdint>
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
  double max_error_m = 0;          // largest distance of a dropped point to the kept great-circle segment around it
};

// The points of every track of one file, in order; track i is
// points[track_starts[i], track_starts[i+1]) and the last ends at
// points.size(). Points before the first start (all of them when
// track_starts is empty) form one more track, so that every point belongs to
// one; track_starts must not decrease nor pass points.size()
// (std::invalid_argument otherwise).
//
// Keeps at most `budget` points over all tracks together, each track keeping
// its first and last point, and uses the whole budget when it reduces. Keeps
// everything (error 0) when the points fit. nullopt when the budget cannot be
// met: budget < sum over tracks of min(2, track size).
std::optional<ReductionPlan> ReduceTracks(std::span<const GeoPoint> points,
                                          std::span<const std::size_t> track_starts,
                                          std::uint64_t budget);

// Top-down alone, without the bottom-up pass: the same contract, for
// measuring what the pass gains.
std::optional<ReductionPlan> ReduceTracksTopDownOnly(std::span<const GeoPoint> points,
                                                     std::span<const std::size_t> track_starts,
                                                     std::uint64_t budget);

// Distance in metres on the sphere from p to the great-circle segment a-b
// (to the nearer end when p's foot lies outside the segment). A segment of
// zero length, or between two antipodes (no one great circle), is measured
// to its nearer end.
double DistanceToSegmentMetres(GeoPoint p, GeoPoint a, GeoPoint b);

// The largest error of a given keep mask, recomputed from scratch with the
// same tracks as ReduceTracks: each dropped point against the segment of the
// kept points around it in its track, or against the nearer kept point of its
// track when it lies before the first or after the last. Infinity when a
// track has points but none kept.
double MaxErrorOfKept(std::span<const GeoPoint> points, std::span<const std::size_t> track_starts,
                      std::span<const std::uint8_t> keep);

}  // namespace tessaline
