#pragma once
// A realistic wandering track for the reduction's benchmark: one point a
// second from a boat that sails legs with a drifting heading, turns, beats
// upwind in tacks, lies at anchor, with the slow bias and the jitter of a GPS
// and a rare jump. Coordinates are rounded to 9 decimals, as the GPX files
// the benchmark writes hold them, so points read back are the same.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "convert/track_reduction.h"

namespace tessaline::bench {

// How the boat spends its time: the weights of its phases (legs, turns,
// beating upwind, at anchor), how long its legs last and how fast it goes
// (times the usual), and where it starts (off Brittany, or by the 180th
// meridian).
struct Sailing {
  double leg = 0.45, turn = 0.30, beat = 0.17, anchor = 0.08;
  double leg_length = 1, speed = 1;
  double lon0 = -4.9;
};

std::vector<GeoPoint> WanderingTrack(std::size_t points, std::uint64_t seed, const Sailing& sailing = {});

}  // namespace tessaline::bench
