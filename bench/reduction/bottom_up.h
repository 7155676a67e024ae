#pragma once
// The other greedy method, to measure against: bottom-up. Every track starts
// whole; the point whose removal makes the smallest error (the largest
// distance of the points then dropped between its kept neighbours to their
// segment) is removed next, until the budget is met. Same contract as
// ReduceTracks; the tracks are one budget together too.

#include <cstdint>
#include <optional>
#include <span>

#include "convert/track_reduction.h"

namespace tessaline::bench {

std::optional<ReductionPlan> ReduceTracksBottomUp(std::span<const GeoPoint> points,
                                                  std::span<const std::size_t> track_starts,
                                                  std::uint64_t budget);

}  // namespace tessaline::bench
