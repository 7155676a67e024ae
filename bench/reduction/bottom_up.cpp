#include "reduction/bottom_up.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace tessaline::bench {
namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

struct Candidate {
  double error = 0;
  std::size_t point = 0;
  std::uint64_t version = 0;
};

// The nearest on top; among equals the earliest.
bool Farther(const Candidate& x, const Candidate& y) {
  if (x.error != y.error) return x.error > y.error;
  return x.point > y.point;
}

}  // namespace

std::optional<ReductionPlan> ReduceTracksBottomUp(std::span<const GeoPoint> points,
                                                  std::span<const std::size_t> track_starts,
                                                  std::uint64_t budget) {
  // The contract's checks and the cases that keep everything are the same.
  auto plan = ReduceTracks(points, track_starts, points.size());
  if (!plan) return plan;
  std::uint64_t minimum = 0;
  std::vector<std::size_t> previous(points.size(), kNone), next(points.size(), kNone);
  std::vector<std::size_t> starts(track_starts.begin(), track_starts.end());
  if (starts.empty() || starts.front() != 0) starts.insert(starts.begin(), 0);
  for (std::size_t t = 0; t < starts.size(); ++t) {
    const std::size_t begin = starts[t], end = t + 1 < starts.size() ? starts[t + 1] : points.size();
    minimum += std::min<std::size_t>(2, end - begin);
    for (std::size_t i = begin; i < end; ++i) {
      if (i > begin) previous[i] = i - 1;
      if (i + 1 < end) next[i] = i + 1;
    }
  }
  if (budget < minimum) return std::nullopt;
  if (points.size() <= budget) return plan;

  std::vector<std::uint64_t> version(points.size(), 0);
  std::vector<Candidate> queue;
  const auto cost = [&](std::size_t i) {
    double worst = 0;
    for (std::size_t j = previous[i] + 1; j < next[i]; ++j)
      worst = std::max(worst, DistanceToSegmentMetres(points[j], points[previous[i]], points[next[i]]));
    return worst;
  };
  const auto offer = [&](std::size_t i) {
    if (previous[i] == kNone || next[i] == kNone) return;  // a track's ends stay
    queue.push_back({cost(i), i, ++version[i]});
    std::push_heap(queue.begin(), queue.end(), Farther);
  };
  for (std::size_t i = 0; i < points.size(); ++i) offer(i);
  while (plan->kept > budget) {
    std::pop_heap(queue.begin(), queue.end(), Farther);
    const Candidate top = queue.back();
    queue.pop_back();
    if (top.version != version[top.point] || !plan->keep[top.point]) continue;
    const std::size_t i = top.point, before = previous[i], after = next[i];
    plan->keep[i] = 0;
    --plan->kept;
    next[before] = after;
    previous[after] = before;
    offer(before);
    offer(after);
  }
  plan->max_error_m = MaxErrorOfKept(points, track_starts, plan->keep);
  return plan;
}

}  // namespace tessaline::bench
