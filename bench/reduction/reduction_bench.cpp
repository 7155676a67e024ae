// The reduction of tracks, on realistic wandering tracks it generates:
//   1. ReduceTracks alone: 1,000,000 points to 32,766 (median of several
//      runs), against the 0.5 s target; the memory it takes per point.
//   2. Top-down alone (ReduceTracksTopDownOnly) against bottom-up alone
//      (bench/reduction/bottom_up.h) and ReduceTracks (top-down, thinned
//      back by bottom-up, the better of the two) on the same tracks: largest
//      error and time of each.
//   3. Beside GPSBabel's simplify filter (count=N, crosstrack) in the same
//      run, on 100,000 points to 32,766 and on a 40,000-point stretch of them
//      at the same ratio: GPSBabel's whole process (read GPX, filter, write
//      GPX) against ours in this process (the same GPX read with the
//      program's reader, reduced, written), and our reduction alone. The
//      largest error of both outputs is recomputed here the same way: each
//      output point is found in the input by order and coordinates, then
//      MaxErrorOfKept.
// Exit status 1 when a target is missed, 2 when something failed.
//
// Usage: tessaline-bench-reduction --folder DIR [--small] [--runs N]
//   --small: a tenth of the sizes, to try it quickly (the targets still print).

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
#include <sstream>
#include <string>
#include <vector>

#include "convert/track_reduction.h"
#include "support/measure.h"
#include "formats/gpx/gpx_reader.h"
#include "host/real_file_system.h"
#include "reduction/bottom_up.h"
#include "reduction/wandering_track.h"

namespace {

using namespace tessaline;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kDeviceLines = 32766;
constexpr double kTargetSeconds = 0.5;
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

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  bool small = false;
  int runs = 5;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--small") small = true;
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
  met &= Target(std::to_string(million) + " points to " + std::to_string(budget) + " in <= 0.5 s",
                seconds <= kTargetSeconds);
  met &= Target("memory <= 64 bytes a point", bytes_per_point <= kTargetBytesPerPoint);

  // 2. Top-down against bottom-up, on the same tracks.
  std::printf("Top-down alone, bottom-up alone, and ReduceTracks (largest error, time of one run)\n");
  const auto hundred = bench::WanderingTrack(100000 / scale, 2);
  const std::vector<GeoPoint> stretch(hundred.begin() + static_cast<std::ptrdiff_t>(30000 / scale),
                                      hundred.begin() + static_cast<std::ptrdiff_t>(70000 / scale));
  const std::uint64_t stretch_budget = stretch.size() * budget / hundred.size();
  struct Case {
    std::string name;
    const std::vector<GeoPoint>* points;
    std::uint64_t budget;
  };
  const auto points = [](const std::vector<GeoPoint>& track) { return std::to_string(track.size()) + " points"; };
  std::vector<Case> cases = {{points(big), &big, budget},
                             {points(hundred), &hundred, budget},
                             {points(stretch) + ", a stretch of them", &stretch, stretch_budget}};
  const auto other = bench::WanderingTrack(100000 / scale, 3), another = bench::WanderingTrack(100000 / scale, 4);
  cases.push_back({points(other) + ", another outing", &other, budget});
  cases.push_back({points(another) + ", a third outing", &another, budget});
  for (const Case& c : cases) {
    auto start = Clock::now();
    const auto top = ReduceTracksTopDownOnly(*c.points, kOneTrack, c.budget);
    const double top_seconds = Since(start);
    start = Clock::now();
    const auto bottom = bench::ReduceTracksBottomUp(*c.points, kOneTrack, c.budget);
    const double bottom_seconds = Since(start);
    start = Clock::now();
    const auto chosen = ReduceTracks(*c.points, kOneTrack, c.budget);
    const double chosen_seconds = Since(start);
    if (!top || !bottom || !chosen || top->kept != bottom->kept || chosen->kept != top->kept) return 2;
    std::printf("  %s to %llu\n    top-down %6.2f m %6.3f s | bottom-up %6.2f m %6.3f s | ReduceTracks %6.2f m %6.3f s\n",
                c.name.c_str(), static_cast<unsigned long long>(c.budget), top->max_error_m, top_seconds,
                bottom->max_error_m, bottom_seconds, chosen->max_error_m, chosen_seconds);
    if (chosen->max_error_m > std::min(top->max_error_m, bottom->max_error_m))
      std::printf("    (one method alone did better here)\n");
  }

  // 3. Beside GPSBabel.
  std::printf("Beside GPSBabel simplify,count=N,crosstrack\n");
  bool ok = BesideGpsBabel("track-" + std::to_string(hundred.size()), hundred, budget, folder, runs, met);
  ok &= BesideGpsBabel("stretch-" + std::to_string(stretch.size()), stretch, stretch_budget, folder, runs, met);
  if (!ok) return 2;
  return met ? 0 : 1;
}
