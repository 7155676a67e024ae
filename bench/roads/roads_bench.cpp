// Every road at the speed of its parser and its disk: each conversion timed
// beside what the machine needs at least for the same bytes, in the same
// run (medians of several runs), every point kept (--points far above the
// points):
//   chart -> device, 1,000,000 lines    beside a durable copy of the input
//   GPX -> device, 1,000,000 points     beside a bare Expat pass over the input
//                                       plus a durable copy of the device file
//   chart -> GPX, 1,000,000 points      beside a durable copy of the GPX written
//   GPX -> GPX, 1,000,000 points        beside a bare Expat pass over the input
//                                       plus a durable copy of the GPX written
//   GPX -> device fitted, --preview     beside the same without --preview (the
//                                       device's 32,766 points, the picture's SVG)
//   device -> chart, 32,766 lines       beside a durable copy of its two outputs
// Prints each time, its reference, the ratio (reference / ours) and the
// target; exit status 1 when a target is missed, 2 when something failed.
//
// Usage: tessaline-bench-roads --convert PROGRAM --folder DIR [--points N] [--runs N]

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "support/measure.h"

namespace {

using namespace tessaline::bench;

constexpr const char* kAllPoints = "1000000000";

void Generate(const std::string& folder, long long points) {
  std::ofstream chart(folder + "/route_TRK.txt", std::ios::binary);
  std::ofstream gpx(folder + "/track.gpx", std::ios::binary);
  std::ofstream device(folder + "/trace.zbx", std::ios::binary);
  gpx << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<gpx version=\"1.1\" creator=\"bench\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
  char line[256];
  unsigned state = 12345;
  for (long long i = 0; i < points; ++i) {
    state = state * 1103515245u + 12345u;
    const double lat = 47.0 + static_cast<double>(i % 100000) * 1e-5 + (state % 1000) * 1e-9;
    const double lon = -4.0 - static_cast<double>(i % 70000) * 1e-5 - (state % 997) * 1e-9;
    if (i % 1000 == 0) {
      chart << "T;Route " << i / 1000 << ";1;1\r\n";
      if (i > 0) gpx << "</trkseg></trk>\n";
      gpx << "<trk><name>Route " << i / 1000 << "</name><trkseg>\n";
    }
    std::snprintf(line, sizeof line, "P;%.15f;%.15f;%u,%02u;-9999;01/05/2024 12:00:00\r\n", lon, lat, state % 50,
                  state % 100);
    chart << line;
    std::snprintf(line, sizeof line, "<trkpt lat=\"%.9f\" lon=\"%.9f\"><ele>%.1f</ele></trkpt>\n", lat, lon,
                  (state % 500) / 10.0);
    gpx << line;
    if (i < 32766) {
      // The largest legal device file: runs of 11 points, every 11th alone.
      std::snprintf(line, sizeof line, "%.9f,%.9f,%u.5,\"Point %lld\",%lld\r\n", lat, lon, state % 70, i,
                    i % 11 == 10 ? -(i % 1000) - 1 : i / 11 % 1000);
      device << line;
    }
  }
  gpx << "</trkseg></trk>\n</gpx>\n";
}

struct Road {
  const char* name;
  Measure ours, reference;
  double target;  // the least ratio reference / ours
  bool ratio_at_most = false;  // device -> chart: ours / reference at most `target`
};

void Print(const Road& road) {
  if (!road.ours.ok || !road.reference.ok) {
    std::printf("  %-36s FAILED\n", road.name);
    return;
  }
  const double ratio = road.ratio_at_most ? road.ours.seconds / road.reference.seconds
                                          : road.reference.seconds / road.ours.seconds;
  std::printf("  %-36s %8.3f s %8.3f s  %6.2fx  %s %.2fx  %s  (peak %.1f MiB)\n", road.name, road.ours.seconds,
              road.reference.seconds, ratio, road.ratio_at_most ? "<=" : ">=", road.target,
              (road.ratio_at_most ? ratio <= road.target : ratio >= road.target) ? "met" : "MISSED",
              road.ours.peak_mib);
}

}  // namespace

int main(int argc, char** argv) {
  BenchArguments arguments;
  arguments.runs = 5;
  if (!ParseBenchArguments(argc, argv, arguments)) return 2;
  const auto& [convert, folder, points, runs] = arguments;
  Generate(folder, points);
  // The inputs on the disk before any timing: their write-back would
  // otherwise compete with the first flushes measured.
  sync();
  const std::string path = folder + "/";
  std::vector<Road> roads;

  Road chart{"chart -> device", Run({convert, "-q", "-n", kAllPoints, "route_TRK.txt"}, folder, runs),
             DurableCopy({path + "route_TRK.txt"}, runs), 0.6};
  roads.push_back(chart);

  Road gpx{"GPX -> device", Run({convert, "-q", "-n", kAllPoints, "track.gpx"}, folder, runs), {}, 0.8};
  const Measure expat = ExpatPass(path + "track.gpx", runs);
  const Measure copy = DurableCopy({path + "track.asc"}, runs);
  gpx.reference = Measure{expat.ok && copy.ok, expat.seconds + copy.seconds, 0};
  roads.push_back(gpx);

  Road to_gpx{"chart -> GPX", Run({convert, "-q", "-g", "-n", kAllPoints, "route_TRK.txt"}, folder, runs),
              DurableCopy({path + "route_TRK.gpx"}, runs), 0.5};
  roads.push_back(to_gpx);

  Road same{"GPX -> GPX", Run({convert, "-q", "-g", "-n", kAllPoints, "-o", "copy.gpx", "track.gpx"}, folder, runs),
            {}, 0.6};
  const Measure gpx_copy = DurableCopy({path + "copy.gpx"}, runs);
  same.reference = Measure{expat.ok && gpx_copy.ok, expat.seconds + gpx_copy.seconds, 0};
  roads.push_back(same);

  // The picture beside the device's own fit: the same road, with and without
  // --preview.
  Road preview{"GPX -> device fitted, --preview", Run({convert, "-q", "--preview", "track.gpx"}, folder, runs),
               Run({convert, "-q", "track.gpx"}, folder, runs), 1.05, true};
  roads.push_back(preview);

  Road device{"device -> chart, 32,766 lines", Run({convert, "-q", "trace.zbx"}, folder, runs),
              DurableCopy({path + "trace_TRK.txt", path + "trace_WPT.txt"}, runs), 3.0, true};
  roads.push_back(device);

  std::printf("Every road beside its reference (medians of %d runs; %lld points; MB = 10^6 bytes):\n", runs, points);
  std::printf("  %-36s %10s %10s  %7s  %s\n", "road", "ours", "reference", "ratio", "target");
  bool failed = false, missed = false;
  for (const Road& road : roads) {
    Print(road);
    if (!road.ours.ok || !road.reference.ok) {
      failed = true;
      continue;
    }
    const double ratio = road.ratio_at_most ? road.ours.seconds / road.reference.seconds
                                            : road.reference.seconds / road.ours.seconds;
    missed |= road.ratio_at_most ? ratio > road.target : ratio < road.target;
  }
  std::printf("  chart -> device peak memory %.1f MiB (target <= 32 MiB whatever the size)\n", chart.ours.peak_mib);
  missed |= chart.ours.peak_mib > 32.0;
  return failed ? 2 : missed ? 1 : 0;
}
