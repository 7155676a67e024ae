// The reduction of tracks, on realistic tracks it generates:
//   1. ReduceTracks alone: 1,000,000 points to 32,766 (median of several
//      runs), against the 1 s target; the memory it takes per point.
//   2. Against the best possible: for tacking, coastal, harbour, anchor
//      drift, antimeridian tracks and several tracks sharing one budget, of
//      500 to 2,000 points, at budgets of a third, a tenth, a thirtieth of
//      the points and 10, the largest error of ReduceTracks beside the
//      smallest largest error any choice of as many points can reach (a
//      table of every shortcut's error, ShortcutError, and the fewest points
//      for each error; for several tracks one error for all, which is the
//      best split of the budget). Median and worst ratio per kind and over
//      all, against 1.05 and 1.25.
//   3. Inputs that make a reduction slow: identical points, a straight run,
//      an inward spiral, a zigzag, 10,000 small tracks: time and work
//      (ReductionWork steps per point).
//   4. Beside GPSBabel's simplify filter (count=N, crosstrack) in the same
//      run, on 100,000 points to 32,766 and on a 40,000-point stretch of them
//      at the same ratio: GPSBabel's whole process (read GPX, filter, write
//      GPX) against ours in this process (the same GPX read with the
//      program's reader, reduced, written), and our reduction alone. The
//      largest error of both outputs is recomputed here the same way: each
//      output point is found in the input by order and coordinates, then
//      MaxErrorOfKept.
// Exit status 1 when a target is missed, 2 when something failed.
//
// Usage: tessaline-bench-reduction --folder DIR [--small] [--runs N] [--skip-best]
//                                  [--only-best | --only-alone]
//   --small: a tenth of the sizes (and of the comparison with the best), to
//   try it quickly (the targets still print); --skip-best: without part 2,
//   the slowest; --only-best: part 2 alone; --only-alone: part 1 alone.

#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "convert/track_reduction.h"
#include "support/measure.h"
#include "formats/gpx/gpx_reader.h"
#include "host/real_file_system.h"
#include "reduction/wandering_track.h"

namespace {

using namespace tessaline;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kDeviceLines = 32766;
constexpr double kTargetSeconds = 1.0;
constexpr double kTargetMedianRatio = 1.05, kTargetWorstRatio = 1.25;
constexpr double kTimesGpsBabel = 10.0;
constexpr double kTargetBytesPerPoint = 64.0;  // "a few tens of bytes"

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss);
}

bool Target(const std::string& what, bool met) {
  std::printf("  %-66s %s\n", what.c_str(), met ? "met" : "MISSED");
  return met;
}

const std::size_t kOneTrack[] = {0};

// --- GPX files: ours to write the inputs and our outputs, read back by
// coordinates for the errors.

bool WriteGpx(const std::string& path, const std::vector<GeoPoint>& points, const std::vector<std::uint8_t>* keep) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gpx version=\"1.1\" creator=\"bench\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
      "<trk><name>Sortie</name><trkseg>\n";
  char line[128];
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (keep && !(*keep)[i]) continue;
    std::snprintf(line, sizeof line, "<trkpt lat=\"%.9f\" lon=\"%.9f\"></trkpt>\n", points[i].lat, points[i].lon);
    text += line;
  }
  text += "</trkseg></trk>\n</gpx>\n";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

// The track points of a GPX file, by their lat and lon attributes.
std::vector<GeoPoint> ScanGpx(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<GeoPoint> points;
  for (std::size_t at = text.find("<trkpt"); at != std::string::npos; at = text.find("<trkpt", at + 1)) {
    const std::size_t end = text.find('>', at);
    const auto attribute = [&](const char* name) {
      const std::size_t where = text.find(name, at);
      return where < end ? std::strtod(text.c_str() + where + std::strlen(name), nullptr) : NAN;
    };
    points.push_back({attribute(" lat=\""), attribute(" lon=\"")});
  }
  return points;
}

// The keep mask of an output: its points found in the input in order. Empty
// when one is not there.
std::vector<std::uint8_t> MaskOf(const std::vector<GeoPoint>& input, const std::vector<GeoPoint>& output) {
  constexpr double kSame = 5e-10;  // both files hold 9 decimals
  std::vector<std::uint8_t> keep(input.size(), 0);
  std::size_t j = 0;
  for (const GeoPoint& p : output) {
    while (j < input.size() && !(std::abs(input[j].lat - p.lat) <= kSame && std::abs(input[j].lon - p.lon) <= kSame)) ++j;
    if (j == input.size()) return {};
    keep[j++] = 1;
  }
  return keep;
}

// --- Our side of the comparison: the GPX read by the program's reader,
// reduced, the kept points written.

class PointCollector final : public gpx::GpxSink {
 public:
  void BeginRun(gpx::RunKind kind, std::string_view) override {
    tracking_ = kind == gpx::RunKind::Track;
    if (tracking_) starts.push_back(points.size());
  }
  bool Point(const gpx::GpxPoint& point) override {
    if (tracking_) points.push_back({point.Lat(), point.Lon()});
    return true;
  }
  void EndRun(gpx::RunKind, std::uint64_t) override {}
  void PointSkipped(std::uint64_t) override {}
  std::vector<GeoPoint> points;
  std::vector<std::size_t> starts;

 private:
  bool tracking_ = false;
};

bool ReadReduceWrite(const std::string& in, const std::string& out, std::uint64_t budget) {
  RealFileSystem files;
  auto stream = files.OpenRead(in);
  if (!stream) return false;
  PointCollector collector;
  if (gpx::ReadGpx(**stream, collector).end != gpx::GpxReadEnd::Finished) return false;
  const auto plan = ReduceTracks(collector.points, collector.starts, budget);
  return plan && WriteGpx(out, collector.points, &plan->keep);
}

// --- GPSBabel, its whole process.

double RunSeconds(const std::vector<std::string>& argv) {
  const bench::Measure run = bench::Run(argv, ".", 1);
  return run.ok ? run.seconds : -1;
}

template <typename Reduce>
double TimeOf(int runs, Reduce reduce) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    reduce();
    times.push_back(Since(start));
  }
  return Median(times);
}

struct Side {
  double error = -1;
  double seconds = -1;
};

// One comparison with GPSBabel; false when something failed.
bool BesideGpsBabel(const std::string& name, const std::vector<GeoPoint>& points, std::uint64_t budget,
                    const std::string& folder, int runs, bool& met) {
  const std::string in = folder + "/" + name + ".gpx", ours = folder + "/" + name + "-ours.gpx",
                    babel = folder + "/" + name + "-gpsbabel.gpx";
  if (!WriteGpx(in, points, nullptr)) return false;
  std::printf("%s: %zu points to %llu\n", name.c_str(), points.size(), static_cast<unsigned long long>(budget));
  std::fflush(stdout);

  const double babel_seconds = RunSeconds({"gpsbabel", "-i", "gpx", "-f", in, "-x",
                                           "simplify,count=" + std::to_string(budget) + ",crosstrack", "-o", "gpx",
                                           "-F", babel});
  bool read_ok = true;
  const double whole = TimeOf(runs, [&] { read_ok &= ReadReduceWrite(in, ours, budget); });
  const double alone = TimeOf(runs, [&] { (void)ReduceTracks(points, kOneTrack, budget); });
  if (!read_ok || babel_seconds < 0) {
    std::printf("  %s FAILED\n", read_ok ? "GPSBabel" : "reading, reducing, writing");
    return false;
  }

  const auto ours_points = ScanGpx(ours), babel_points = ScanGpx(babel);
  const auto ours_mask = MaskOf(points, ours_points), babel_mask = MaskOf(points, babel_points);
  if (ours_mask.empty() || babel_mask.empty()) {
    std::printf("  an output point is not in the input: FAILED\n");
    return false;
  }
  const double ours_error = MaxErrorOfKept(points, kOneTrack, ours_mask);
  const double babel_error = MaxErrorOfKept(points, kOneTrack, babel_mask);
  std::printf("  %-52s %9.3f s  %7zu points  largest error %8.2f m\n", "GPSBabel simplify (whole process)",
              babel_seconds, babel_points.size(), babel_error);
  std::printf("  %-52s %9.3f s  %7zu points  largest error %8.2f m\n",
              "ours: read GPX, reduce, write GPX (in process)", whole, ours_points.size(), ours_error);
  std::printf("  %-52s %9.3f s\n", "ours: reduction alone", alone);
  std::printf("  faster than GPSBabel: %.0fx whole, %.0fx reduction alone\n", babel_seconds / whole,
              babel_seconds / alone);
  met &= Target(name + ": >= 10x faster than GPSBabel (whole against whole)", babel_seconds >= kTimesGpsBabel * whole);
  met &= Target(name + ": largest error <= GPSBabel's", ours_error <= babel_error);
  return true;
}

// --- The best possible, from a table of every shortcut's error.

// A track's table: error[i][j] for i < j, row by row.
struct Table {
  std::size_t n = 0;
  std::vector<double> error;
  double At(std::size_t i, std::size_t j) const { return error[i * n + j]; }
};

Table TableOf(std::span<const GeoPoint> track) {
  Table table{track.size(), std::vector<double>(track.size() * track.size(), 0)};
  const ShortcutError measure(track);
  for (std::size_t i = 0; i < track.size(); ++i)
    for (std::size_t j = i + 2; j < track.size(); ++j) table.error[i * table.n + j] = measure.Metres(i, j);
  return table;
}

// The fewest points a track keeps with every shortcut within `error`.
std::uint64_t FewestFor(const Table& table, double error) {
  std::vector<std::uint64_t> fewest(table.n, std::numeric_limits<std::uint64_t>::max());
  fewest[0] = 1;
  for (std::size_t j = 1; j < table.n; ++j)
    for (std::size_t i = 0; i < j; ++i)
      if (fewest[i] + 1 < fewest[j] && table.At(i, j) <= error) fewest[j] = fewest[i] + 1;
  return fewest.back();
}

// The smallest largest error of any choice of `budget` points over the
// tracks: the smallest error of the tables whose fewest points fit.
double Best(const std::vector<Table>& tables, std::uint64_t budget) {
  std::vector<double> errors;
  for (const Table& table : tables)
    for (std::size_t i = 0; i < table.n; ++i)
      for (std::size_t j = i + 2; j < table.n; ++j) errors.push_back(table.At(i, j));
  errors.push_back(0);
  std::sort(errors.begin(), errors.end());
  errors.erase(std::unique(errors.begin(), errors.end()), errors.end());
  std::size_t lo = 0, hi = errors.size() - 1;  // hi always fits
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    std::uint64_t count = 0;
    for (const Table& table : tables) count += FewestFor(table, errors[mid]);
    (count <= budget ? hi : lo) = count <= budget ? mid : mid + 1;
  }
  return errors[hi];
}

struct Kind {
  const char* name;
  bench::Sailing sailing;
  int tracks;
};

bool AgainstTheBest(bool small) {
  bench::Sailing tacking{0, 0, 1, 0}, coastal{0.6, 0.4, 0, 0, 0.3}, harbour{0.4, 0.6, 0, 0, 0.05, 0.4},
      drift{0, 0, 0, 1}, antimeridian{};
  antimeridian.lon0 = 179.99;
  const Kind kinds[] = {{"tacking", tacking, 1},         {"coastal", coastal, 1},
                        {"harbour", harbour, 1},         {"anchor drift", drift, 1},
                        {"antimeridian", antimeridian, 1}, {"several tracks", {}, 4}};
  const std::vector<std::size_t> sizes = small ? std::vector<std::size_t>{500} : std::vector<std::size_t>{500, 1000, 2000};
  std::printf("Against the best possible (largest error, ReduceTracks / best)\n");
  std::vector<double> all;
  for (const Kind& kind : kinds) {
    std::vector<double> ratios;
    for (std::size_t size : sizes) {
      std::vector<GeoPoint> points;
      std::vector<std::size_t> starts;
      std::vector<Table> tables;
      for (int t = 0; t < kind.tracks; ++t) {
        const auto track = bench::WanderingTrack(size / static_cast<std::size_t>(kind.tracks) + 37 * t,
                                                 100 + size + t + 7919 * static_cast<std::size_t>(&kind - kinds), kind.sailing);
        starts.push_back(points.size());
        points.insert(points.end(), track.begin(), track.end());
        tables.push_back(TableOf(track));
      }
      for (const std::uint64_t budget : {points.size() / 3, points.size() / 10, points.size() / 30, std::uint64_t{10}}) {
        const auto plan = ReduceTracks(points, starts, budget);
        if (!plan || plan->kept > budget) return false;
        const double best = Best(tables, budget);
        const double ratio = best > 0 ? plan->max_error_m / best : (plan->max_error_m > 0 ? 99.0 : 1.0);
        std::printf("  %-15s %5zu points to %4llu: %8.2f m, best %8.2f m, ratio %.3f\n", kind.name, points.size(),
                    static_cast<unsigned long long>(budget), plan->max_error_m, best, ratio);
        std::fflush(stdout);
        ratios.push_back(ratio);
      }
    }
    std::printf("  %-15s median ratio %.3f, worst %.3f\n", kind.name, Median(ratios),
                *std::max_element(ratios.begin(), ratios.end()));
    all.insert(all.end(), ratios.begin(), ratios.end());
  }
  const double median = Median(all), worst = *std::max_element(all.begin(), all.end());
  std::printf("  all %zu cases: median ratio %.3f, worst %.3f\n", all.size(), median, worst);
  bool met = Target("median ratio to the best <= 1.05", median <= kTargetMedianRatio);
  met &= Target("worst ratio to the best <= 1.25", worst <= kTargetWorstRatio);
  return met;
}

// --- Inputs that make a reduction slow.

void Awkward(std::size_t scale) {
  const std::size_t n = 1000000 / scale;
  struct Input {
    std::string name;
    std::vector<GeoPoint> points;
    std::vector<std::size_t> starts;
  };
  std::vector<Input> inputs;
  inputs.push_back({"realistic, for scale", bench::WanderingTrack(n, 1), {0}});
  inputs.push_back({"identical points", std::vector<GeoPoint>(n, GeoPoint{47.1, -4.2}), {0}});
  Input straight{"a straight run", {}, {0}}, spiral{"an inward spiral", {}, {0}}, zigzag{"a zigzag", {}, {0}},
      small_tracks{"10,000 small tracks", {}, {}};
  for (std::size_t i = 0; i < n; ++i) {
    const double f = static_cast<double>(i) / static_cast<double>(n);
    straight.points.push_back({47 + f * 0.5, -4 + f * 0.5});
    const double angle = f * 2000, radius = 0.2 * (1 - f);
    spiral.points.push_back({47 + radius * std::cos(angle), -4 + radius * std::sin(angle)});
    zigzag.points.push_back({47 + f * 0.5, -4 + (i % 2 ? 1e-4 : 0)});
  }
  for (std::size_t t = 0; t < 10000; ++t) {
    small_tracks.starts.push_back(small_tracks.points.size());
    const auto track = bench::WanderingTrack(n / 10000, 1000 + t);
    small_tracks.points.insert(small_tracks.points.end(), track.begin(), track.end());
  }
  inputs.push_back(std::move(straight));
  inputs.push_back(std::move(spiral));
  inputs.push_back(std::move(zigzag));
  inputs.push_back(std::move(small_tracks));
  std::printf("Inputs that make a reduction slow, to %llu points\n", static_cast<unsigned long long>(kDeviceLines / scale));
  for (const Input& input : inputs) {
    ReductionWork work;
    const auto start = Clock::now();
    const auto plan = ReduceTracks(input.points, input.starts, std::max<std::uint64_t>(20000, kDeviceLines / scale), {}, &work);
    const double seconds = Since(start);
    std::printf("  %-22s %8zu points: %7.3f s, %6.1f steps a point, largest error %.2f m\n", input.name.c_str(),
                input.points.size(), seconds, static_cast<double>(work.steps) / static_cast<double>(input.points.size()),
                plan ? plan->max_error_m : -1.0);
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  bool small = false, skip_best = false, only_best = false, only_alone = false;
  int runs = 5;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--small") small = true;
    if (option == "--skip-best") skip_best = true;
    if (option == "--only-best") only_best = true;
    if (option == "--only-alone") only_alone = true;
    if (option == "--folder" && i + 1 < argc) folder = argv[++i];
    if (option == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
  }
  if (folder.empty()) {
    std::fprintf(stderr, "usage: %s --folder DIR [--small] [--runs N]\n", argv[0]);
    return 2;
  }
  const std::size_t scale = small ? 10 : 1;
  const std::uint64_t budget = kDeviceLines / scale;
  bool met = true;

  if (only_best) return AgainstTheBest(small) ? 0 : 1;

  // 1. Alone, on a million points; memory first, while the process holds little else.
  const std::size_t million = 1000000 / scale;
  const auto big = bench::WanderingTrack(million, 1);
  const double before = PeakKiB();
  auto first = ReduceTracks(big, kOneTrack, budget);
  const double bytes_per_point = (PeakKiB() - before) * 1024 / static_cast<double>(million);
  if (!first) return 2;
  const double seconds = TimeOf(runs, [&] { (void)ReduceTracks(big, kOneTrack, budget); });
  std::printf("Reduction alone: %zu points to %llu, median of %d runs\n", million,
              static_cast<unsigned long long>(budget), runs);
  std::printf("  %9.3f s (target %.1f s), largest error %.2f m, %.1f bytes a point at the peak\n", seconds,
              kTargetSeconds, first->max_error_m, bytes_per_point);
  met &= Target(std::to_string(million) + " points to " + std::to_string(budget) + " in <= 1 s",
                seconds <= kTargetSeconds);
  met &= Target("memory <= 64 bytes a point", bytes_per_point <= kTargetBytesPerPoint);

  if (only_alone) return met ? 0 : 1;

  // 2. Against the best possible.
  if (!skip_best) met &= AgainstTheBest(small);

  // 3. Inputs that make a reduction slow.
  Awkward(scale);

  // 4. Beside GPSBabel.
  const auto hundred = bench::WanderingTrack(100000 / scale, 2);
  const std::vector<GeoPoint> stretch(hundred.begin() + static_cast<std::ptrdiff_t>(30000 / scale),
                                      hundred.begin() + static_cast<std::ptrdiff_t>(70000 / scale));
  const std::uint64_t stretch_budget = stretch.size() * budget / hundred.size();
  std::printf("Beside GPSBabel simplify,count=N,crosstrack\n");
  bool ok = BesideGpsBabel("track-" + std::to_string(hundred.size()), hundred, budget, folder, runs, met);
  ok &= BesideGpsBabel("stretch-" + std::to_string(stretch.size()), stretch, stretch_budget, folder, runs, met);
  if (!ok) return 2;
  return met ? 0 : 1;
}
