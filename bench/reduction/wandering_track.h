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

std::vector<GeoPoint> WanderingTrack(std::size_t points, std::uint64_t seed);

}  // namespace tessaline::bench
