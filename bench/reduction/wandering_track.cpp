#include "reduction/wandering_track.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessaline::bench {
namespace {

constexpr double kDegree = std::numbers::pi / 180;

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}
  double Uniform(double low, double high) {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return low + (high - low) * static_cast<double>(state_ >> 11) / 9007199254740992.0;
  }
  double Normal() {  // Box-Muller, one of the pair
    const double u = Uniform(1e-12, 1), v = Uniform(0, 2 * std::numbers::pi);
    return std::sqrt(-2 * std::log(u)) * std::cos(v);
  }

 private:
  std::uint64_t state_;
};

enum class Phase { Leg, Turn, Beat, Anchor };

}  // namespace

std::vector<GeoPoint> WanderingTrack(std::size_t points, std::uint64_t seed, const Sailing& sailing) {
  Random random(seed);
  std::vector<GeoPoint> track;
  track.reserve(points);
  double north = 0, east = 0;              // metres from the start, a local plane is enough here
  const double lat0 = 47.6, lon0 = sailing.lon0;
  double heading = random.Uniform(0, 2 * std::numbers::pi), speed = 2.5, turn_rate = 0;
  double bias_n = 0, bias_e = 0;           // the GPS's slow error
  Phase phase = Phase::Leg;
  int left = 0;                            // seconds left in the phase
  double target = 0, wind = random.Uniform(0, 2 * std::numbers::pi);
  int tack_side = 1, tack_left = 0;
  for (std::size_t i = 0; i < points; ++i) {
    if (left-- <= 0) {
      const double pick = random.Uniform(0, 1);
      const double total = sailing.leg + sailing.turn + sailing.beat + sailing.anchor;
      const double at = pick * total;
      phase = at < sailing.leg                                 ? Phase::Leg
              : at < sailing.leg + sailing.turn                ? Phase::Turn
              : at < sailing.leg + sailing.turn + sailing.beat ? Phase::Beat
                                                               : Phase::Anchor;
      switch (phase) {
        case Phase::Leg:
          left = static_cast<int>(random.Uniform(200, 2500) * sailing.leg_length);
          speed = random.Uniform(1.5, 4) * sailing.speed;
          break;
        case Phase::Turn:
          target = heading + (random.Uniform(0, 1) < 0.5 ? -1 : 1) * random.Uniform(20, 170) * kDegree;
          turn_rate = random.Uniform(2, 8) * kDegree;
          left = static_cast<int>(std::abs(target - heading) / turn_rate) + 1;
          break;
        case Phase::Beat:
          left = static_cast<int>(random.Uniform(1200, 6000));
          wind += random.Normal() * 20 * kDegree;
          tack_left = 0;
          break;
        case Phase::Anchor: left = static_cast<int>(random.Uniform(300, 3000)); break;
      }
    }
    switch (phase) {
      case Phase::Leg:
        heading += random.Normal() * 0.4 * kDegree;  // helm and sea
        break;
      case Phase::Turn: heading += (target > heading ? 1 : -1) * std::min(turn_rate, std::abs(target - heading)); break;
      case Phase::Beat:
        if (tack_left-- <= 0) {
          tack_side = -tack_side;
          tack_left = static_cast<int>(random.Uniform(60, 500));
        }
        target = wind + tack_side * 45 * kDegree;
        heading += std::clamp(target - heading, -10 * kDegree, 10 * kDegree) + random.Normal() * 1.5 * kDegree;
        speed = std::abs(target - heading) > 20 * kDegree ? 1.0 : 3.0;  // slow through the tack
        break;
      case Phase::Anchor:
        heading += random.Normal() * 15 * kDegree;
        speed = std::abs(random.Normal()) * 0.15;  // swinging on the chain
        break;
    }
    if (phase != Phase::Anchor && phase != Phase::Beat)
      speed = std::clamp(speed + random.Normal() * 0.05, 0.5 * sailing.speed, 6.0 * sailing.speed);
    north += speed * std::cos(heading);
    east += speed * std::sin(heading);
    bias_n = 0.995 * bias_n + random.Normal() * 0.2;
    bias_e = 0.995 * bias_e + random.Normal() * 0.2;
    double jump_n = 0, jump_e = 0;
    if (random.Uniform(0, 1) < 1.0 / 20000) {  // multipath: one wild fix
      jump_n = random.Normal() * 30;
      jump_e = random.Normal() * 30;
    }
    const double n = north + bias_n + random.Normal() * 0.8 + jump_n;
    const double e = east + bias_e + random.Normal() * 0.8 + jump_e;
    const double lat = lat0 + n / (kEarthRadiusMetres * kDegree);
    double lon = lon0 + e / (kEarthRadiusMetres * kDegree * std::cos(lat * kDegree));
    lon = std::remainder(lon, 360.0);
    track.push_back({std::round(std::clamp(lat, -89.0, 89.0) * 1e9) / 1e9, std::round(lon * 1e9) / 1e9});
  }
  return track;
}

}  // namespace tessaline::bench
