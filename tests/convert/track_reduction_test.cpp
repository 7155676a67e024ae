// The reduction of tracks: distances on the sphere against values known from
// geometry, then the plans' promises (corners, budget, sharing, first and
// last points, the reported error) on built and pseudo-random tracks.

#include "convert/track_reduction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace tessaline {
namespace {

constexpr double kMetresPerDegree = kEarthRadiusMetres * std::numbers::pi / 180.0;

struct DistanceCase {
  const char* what;
  GeoPoint p, a, b;
  double metres, tolerance;
};

TEST(DistanceToSegment, MatchesTheGeometry) {
  const DistanceCase cases[] = {
      {"foot on the arc", {1, 0.5}, {0, 0}, {0, 1}, kMetresPerDegree, 1e-6},
      {"foot beyond the end", {0, 2}, {0, 0}, {0, 1}, kMetresPerDegree, 1e-6},
      {"foot before the start", {0, -3}, {0, 0}, {0, 1}, 3 * kMetresPerDegree, 1e-6},
      {"on the segment", {0, 0.25}, {0, 0}, {0, 1}, 0, 1e-6},
      {"zero-length segment", {11, 20}, {10, 20}, {10, 20}, kMetresPerDegree, 1e-6},
      {"across the 180th meridian", {0.001, 180}, {0, 179.5}, {0, -179.5}, 0.001 * kMetresPerDegree, 1e-6},
      {"over the pole", {90, 0}, {89, 0}, {89, 180}, 0, 1e-6},
      {"antipodes: to the nearer end", {0, 80}, {0, 0}, {0, 180}, 80 * kMetresPerDegree, 1e-6},
      // A segment of 8 mm and a point a metre aside: no loss to cancellation.
      {"tiny segment", {45 + 1 / kMetresPerDegree, 5e-8}, {45, 0}, {45, 1e-7}, 1.0, 1e-4},
      {"centimetre off a long leg", {0.5, 0.5 + 0.01 / kMetresPerDegree}, {0, 0.5}, {1, 0.5}, 0.01, 1e-5},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(DistanceToSegmentMetres(c.p, c.a, c.b), c.metres, c.tolerance) << c.what;
    EXPECT_NEAR(DistanceToSegmentMetres(c.p, c.b, c.a), c.metres, c.tolerance) << c.what << ", reversed";
  }
}

// Deterministic noise in [-1, 1).
class Noise {
 public:
  explicit Noise(std::uint64_t seed) : state_(seed * 2654435761u + 1) {}
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<double>(state_ >> 11) / 4503599627370496.0 - 1.0;
  }

 private:
  std::uint64_t state_;
};

// A wandering walk of n points from (lat, lon), steps of about 10 m.
std::vector<GeoPoint> Walk(std::size_t n, double lat, double lon, std::uint64_t seed) {
  Noise noise(seed);
  std::vector<GeoPoint> points;
  double heading = 0;
  for (std::size_t i = 0; i < n; ++i) {
    points.push_back({lat, lon});
    heading += 0.6 * noise.Next();
    lat += 10 / kMetresPerDegree * std::cos(heading);
    lon += 10 / kMetresPerDegree * std::sin(heading) / std::cos(lat * std::numbers::pi / 180);
    if (lon > 180) lon -= 360;
    if (lon < -180) lon += 360;
  }
  return points;
}

std::vector<std::size_t> Kept(const ReductionPlan& plan) {
  std::vector<std::size_t> kept;
  for (std::size_t i = 0; i < plan.keep.size(); ++i)
    if (plan.keep[i]) kept.push_back(i);
  return kept;
}

TEST(ReduceTracks, KeepsTheCornersOfAStaircase) {
  // Legs of 50 points 20 m apart, turning left and right, with 0.5 m of noise.
  Noise noise(7);
  std::vector<GeoPoint> points;
  std::vector<std::size_t> corners;
  double lat = 47.3, lon = -4.6;
  for (int leg = 0; leg < 7; ++leg) {
    if (leg > 0) corners.push_back(points.size());  // where the heading changes
    for (int i = 0; i < 50; ++i) {
      points.push_back({lat + 0.5 * noise.Next() / kMetresPerDegree, lon});
      (leg % 2 == 0 ? lon : lat) += 20 / kMetresPerDegree;
    }
  }
  const std::size_t starts[] = {0};
  const auto plan = ReduceTracks(points, starts, corners.size() + 2);
  ASSERT_TRUE(plan);
  std::vector<std::size_t> expected = {0};
  expected.insert(expected.end(), corners.begin(), corners.end());
  expected.push_back(points.size() - 1);
  EXPECT_EQ(Kept(*plan), expected);
  EXPECT_LT(plan->max_error_m, 3.0);
}

TEST(ReduceTracks, KeepsEverythingThatFitsAndFailsWhatCannotFit) {
  const auto walk = Walk(10, 47, -4, 1);
  const std::size_t starts[] = {0};
  for (std::uint64_t budget : {10u, 11u, 1000u}) {
    const auto plan = ReduceTracks(walk, starts, budget);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->kept, 10u);
    EXPECT_EQ(plan->keep, std::vector<std::uint8_t>(10, 1));
    EXPECT_EQ(plan->max_error_m, 0);
  }
  const auto one_less = ReduceTracks(walk, starts, 9);
  ASSERT_TRUE(one_less);
  EXPECT_EQ(Kept(*one_less).size(), 9u);
  EXPECT_EQ(one_less->kept, 9u);
  EXPECT_GT(one_less->max_error_m, 0);

  // One point, five points, two points, an empty track: at least 1 + 2 + 2.
  const std::size_t three[] = {0, 1, 6, 8, 8};
  const auto eight = Walk(8, 47, -4, 2);
  EXPECT_FALSE(ReduceTracks(eight, three, 4));
  const auto tightest = ReduceTracks(eight, three, 5);
  ASSERT_TRUE(tightest);
  EXPECT_EQ(Kept(*tightest), (std::vector<std::size_t>{0, 1, 5, 6, 7}));
  EXPECT_TRUE(ReduceTracks(std::span<const GeoPoint>(walk).first(0), {}, 0).has_value());

  const std::size_t backwards[] = {0, 6, 3};
  EXPECT_THROW(ReduceTracks(eight, backwards, 5), std::invalid_argument);
  const std::size_t past_the_end[] = {0, 9};
  EXPECT_THROW(ReduceTracks(eight, past_the_end, 5), std::invalid_argument);
}

TEST(ReduceTracks, AStraightTrackGivesItsPointsToAWigglyOne) {
  std::vector<GeoPoint> points;
  for (int i = 0; i < 200; ++i) points.push_back({47.0 + i * 1e-4, -4.0});
  const auto wiggly = Walk(200, 47.5, -4.5, 3);
  points.insert(points.end(), wiggly.begin(), wiggly.end());
  const std::size_t starts[] = {0, 200};
  const auto plan = ReduceTracks(points, starts, 60);
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->kept, 60u);
  const auto kept = Kept(*plan);
  EXPECT_EQ(std::count_if(kept.begin(), kept.end(), [](std::size_t i) { return i < 200; }), 2);
}

TEST(ReduceTracks, ReportsTheErrorOfWhatItKeepsOnRandomTracks) {
  for (std::uint64_t seed = 1; seed <= 40; ++seed) {
    // Tracks of 1 to 120 points, some of them crossing the 180th meridian.
    Noise sizes(seed);
    std::vector<GeoPoint> points;
    std::vector<std::size_t> starts;
    for (int t = 0; t < 1 + static_cast<int>(seed % 4); ++t) {
      starts.push_back(points.size());
      const auto n = static_cast<std::size_t>(61 + 60 * sizes.Next());
      const auto track = Walk(n, -40 + seed, seed % 3 == 0 ? 179.99 : 3.0, seed * 10 + t);
      points.insert(points.end(), track.begin(), track.end());
    }
    std::uint64_t minimum = 0;
    for (std::size_t t = 0; t < starts.size(); ++t)
      minimum += std::min<std::size_t>(2, (t + 1 < starts.size() ? starts[t + 1] : points.size()) - starts[t]);
    double previous = std::numeric_limits<double>::infinity();
    for (std::uint64_t budget = minimum; budget < points.size(); budget += 1 + points.size() / 7) {
      const auto plan = ReduceTracks(points, starts, budget);
      ASSERT_TRUE(plan);
      EXPECT_LE(plan->kept, budget);
      EXPECT_EQ(Kept(*plan).size(), plan->kept);
      for (std::size_t t = 0; t < starts.size(); ++t) {
        EXPECT_TRUE(plan->keep[starts[t]]);
        EXPECT_TRUE(plan->keep[(t + 1 < starts.size() ? starts[t + 1] : points.size()) - 1]);
      }
      EXPECT_DOUBLE_EQ(plan->max_error_m, MaxErrorOfKept(points, starts, plan->keep)) << seed << " " << budget;
      // More points never stray farther (within the search's 1 %).
      EXPECT_LE(plan->max_error_m, previous * 1.02 + 0.001) << seed << " " << budget;
      previous = plan->max_error_m;
    }
  }
}

TEST(ReduceTracks, DegenerateTracks) {
  // Identical points: nothing strays, the budget is still used.
  const std::vector<GeoPoint> still(30, GeoPoint{47.1, -4.2});
  const std::size_t one[] = {0};
  const auto anchored = ReduceTracks(still, one, 5);
  ASSERT_TRUE(anchored);
  EXPECT_EQ(Kept(*anchored), (std::vector<std::size_t>{0, 29}));
  EXPECT_EQ(anchored->max_error_m, 0);

  // The same walk beside the prime meridian and turned by 180 degrees across
  // the other: the same shape, so the same points and error.
  const auto here = Walk(400, 10, -0.05, 9);
  std::vector<GeoPoint> there;
  for (const GeoPoint& p : here) there.push_back({p.lat, p.lon < 0 ? p.lon + 180 : p.lon - 180});
  const auto near_zero = ReduceTracks(here, one, 40);
  const auto near_180 = ReduceTracks(there, one, 40);
  ASSERT_TRUE(near_zero && near_180);
  EXPECT_EQ(near_zero->keep, near_180->keep);
  EXPECT_NEAR(near_zero->max_error_m, near_180->max_error_m, 1e-6);
  EXPECT_LT(near_180->max_error_m, 200);

  // Points that are not numbers are never kept in place of real ones, nor
  // measured; a track of nothing but them keeps its ends.
  auto broken = Walk(50, 47, -4, 11);
  for (std::size_t i : {0u, 20u, 21u, 49u}) broken[i].lat = std::nan("");
  const auto kept_broken = ReduceTracks(broken, one, 10);
  ASSERT_TRUE(kept_broken);
  EXPECT_LE(kept_broken->kept, 10u);
  for (std::size_t i : {0u, 20u, 21u, 49u}) EXPECT_FALSE(kept_broken->keep[i]) << i;
  EXPECT_TRUE(kept_broken->keep[1] && kept_broken->keep[48]);
  EXPECT_TRUE(std::isfinite(kept_broken->max_error_m));
  const std::vector<GeoPoint> nowhere(6, GeoPoint{std::nan(""), 3});
  const auto lost = ReduceTracks(nowhere, one, 2);
  ASSERT_TRUE(lost);
  EXPECT_EQ(Kept(*lost), (std::vector<std::size_t>{0, 5}));
  EXPECT_EQ(lost->max_error_m, 0);

  // A mask that drops a whole track has lost it.
  EXPECT_TRUE(std::isinf(MaxErrorOfKept(still, one, std::vector<std::uint8_t>(30, 0))));
}

// How the points are held never changes the plan: the same track with a
// copy after some points (runs the walks step over) or with fixes without
// coordinates among them (positions of their own) keeps the same points of
// the track.
TEST(ReduceTracks, ThePlanDoesNotDependOnHowThePointsAreHeld) {
  const auto track = Walk(3000, 47, -4, 12);
  const std::size_t one[] = {0};
  for (const std::uint64_t budget : {1000u, 300u, 100u, 30u}) {
    const auto plain = ReduceTracks(track, one, budget);
    ASSERT_TRUE(plain);
    for (const int kind : {0, 1}) {
      std::vector<GeoPoint> held;
      std::vector<std::size_t> original;  // where each point of the track went
      for (std::size_t i = 0; i < track.size(); ++i) {
        if (kind == 1 && i % 7 == 3) held.push_back({std::nan(""), track[i].lon});
        original.push_back(held.size());
        held.push_back(track[i]);
        if (kind == 0 && i % 5 == 2) held.push_back(track[i]);
      }
      const auto plan = ReduceTracks(held, one, budget);
      ASSERT_TRUE(plan) << kind;
      std::vector<std::uint8_t> keep;
      for (const std::size_t i : original) keep.push_back(plan->keep[i]);
      EXPECT_EQ(keep, plain->keep) << "kind " << kind << ", budget " << budget;
      EXPECT_EQ(plan->kept, plain->kept) << "kind " << kind << ", budget " << budget;
      EXPECT_DOUBLE_EQ(plan->max_error_m, plain->max_error_m) << "kind " << kind << ", budget " << budget;
    }
  }
}

// A track around half the Earth, so that walks meet the other hemisphere:
// the plan keeps its promises, and the error it states is the one measured.
TEST(ReduceTracks, ATrackAroundHalfTheEarth) {
  std::vector<GeoPoint> points;
  for (int i = 0; i <= 4000; ++i) {
    const double f = i / 4000.0;
    points.push_back({30 * std::sin(f * 12), -170 + 200 * f + 0.01 * std::sin(f * 3000)});
  }
  const std::size_t one[] = {0};
  for (const std::uint64_t budget : {400u, 40u, 4u}) {
    const auto plan = ReduceTracks(points, one, budget);
    ASSERT_TRUE(plan);
    EXPECT_LE(plan->kept, budget);
    EXPECT_TRUE(plan->keep.front() && plan->keep.back());
    EXPECT_EQ(plan->max_error_m, MaxErrorOfKept(points, one, plan->keep));
    EXPECT_TRUE(std::isfinite(plan->max_error_m));
  }
}

// Inputs that made a reduction slow, each to a thirtieth of its points: the
// plan keeps its promises, and its work (points walked and distances
// measured) stays within a bound of n log n, where a quadratic fit would
// pass it a hundredfold.
TEST(ReduceTracks, NoInputMakesItSlow) {
  constexpr std::size_t kN = 60000;
  struct Kind {
    const char* what;
    std::vector<GeoPoint> points;
    std::vector<std::size_t> starts;
  };
  std::vector<Kind> kinds;
  kinds.push_back({"at anchor: one point again and again", std::vector<GeoPoint>(kN, GeoPoint{47.1, -4.2}), {0}});
  Kind straight{"a straight run", {}, {0}}, spiral{"an inward spiral", {}, {0}}, zigzag{"a zigzag", {}, {0}},
      small{"2,000 small tracks", {}, {}}, broken{"one fix in three without coordinates", {}, {0}};
  for (std::size_t i = 0; i < kN; ++i) {
    const double f = static_cast<double>(i) / kN;
    straight.points.push_back({47 + f * 0.2, -4 + f * 0.2});
    spiral.points.push_back({47 + 0.05 * (1 - f) * std::cos(f * 400), -4 + 0.05 * (1 - f) * std::sin(f * 400)});
    zigzag.points.push_back({47 + f * 0.2, -4 + (i % 2 ? 2e-5 : 0)});
  }
  for (std::size_t t = 0; t < 2000; ++t) {
    small.starts.push_back(small.points.size());
    const auto track = Walk(kN / 2000, 47 + 0.01 * static_cast<double>(t % 50), -4, t + 100);
    small.points.insert(small.points.end(), track.begin(), track.end());
  }
  broken.points = Walk(kN, 47, -4, 5);
  for (std::size_t i = 1; i < kN; i += 3) broken.points[i].lon = std::nan("");
  kinds.push_back({"one huge wandering track", Walk(kN, 47, -4, 4), {0}});
  for (Kind* kind : {&straight, &spiral, &zigzag, &small, &broken}) kinds.push_back(std::move(*kind));

  for (const Kind& kind : kinds) {
    const std::uint64_t budget = std::max<std::uint64_t>(kind.points.size() / 30, 2 * kind.starts.size());
    ReductionWork work;
    const auto plan = ReduceTracks(kind.points, kind.starts, budget, {}, &work);
    ASSERT_TRUE(plan) << kind.what;
    EXPECT_LE(plan->kept, budget) << kind.what;
    EXPECT_EQ(plan->max_error_m, MaxErrorOfKept(kind.points, kind.starts, plan->keep)) << kind.what;
    EXPECT_TRUE(std::isfinite(plan->max_error_m)) << kind.what;
    for (std::size_t i = 0; i < kind.points.size(); ++i)
      if (std::isnan(kind.points[i].lon)) {
        EXPECT_FALSE(plan->keep[i]) << kind.what << " keeps " << i;
      }
    const double n = static_cast<double>(kind.points.size());
    EXPECT_LE(static_cast<double>(work.steps), 64 * n * std::log2(n)) << kind.what;
  }
  // At anchor nothing strays: the track's two ends are enough.
  const auto anchored = ReduceTracks(kinds[0].points, kinds[0].starts, 100);
  ASSERT_TRUE(anchored);
  EXPECT_EQ(anchored->kept, 2u);
}

// The reduction asks to pause now and then; a pause that throws stops it.
TEST(ReduceTracks, PausesAndCanBeStopped) {
  const auto points = Walk(200000, 47, -4, 6);
  const std::size_t one[] = {0};
  int pauses = 0;
  EXPECT_TRUE(ReduceTracks(points, one, 3000, [&] { ++pauses; }));
  EXPECT_GT(pauses, 10);
  struct Stop {};
  EXPECT_THROW(ReduceTracks(points, one, 3000, [] { throw Stop{}; }), Stop);
}

}  // namespace
}  // namespace tessaline
