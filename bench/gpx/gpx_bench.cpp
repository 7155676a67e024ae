// GPX speed, beside GPSBabel and a bare Expat pass over the same file, in
// the same run:
//   reading: a GPX of N track points -> device file (tessaline-convert),
//            GPSBabel reading it (to unicsv), Expat alone;
//   writing: a chart track file of N points -> GPX (tessaline-convert -g),
//            GPSBabel GPX -> GPX over our output, Expat alone over it.
// Prints time, MB/s and peak memory of each, the ratios and the targets.
// Exit status 1 when a target is missed, 2 when something failed.
//
// Usage: tessaline-bench-gpx --convert PROGRAM --folder DIR [--points N]

#include "support/measure.h"

#include <expat.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace tessaline::bench;

constexpr double kReadMBps = 100.0, kReadTimesBabel = 3.0;
constexpr double kWriteMBps = 300.0, kWriteTimesBabel = 4.0;
constexpr double kMemoryAllowanceMiB = 32.0;

void Generate(const std::string& folder, long long points) {
  std::ofstream gpx(folder + "/track.gpx", std::ios::binary);
  gpx << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<gpx version=\"1.1\" creator=\"bench\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
         "<trk><name>Trace</name><trkseg>\n";
  std::ofstream chart(folder + "/route_TRK.txt", std::ios::binary);
  chart << "T;Trace;1;1\r\n";
  char line[256];
  unsigned state = 12345;
  for (long long i = 0; i < points; ++i) {
    state = state * 1103515245u + 12345u;
    const double lat = 47.0 + static_cast<double>(i % 100000) * 1e-5 + (state % 1000) * 1e-9;
    const double lon = -4.0 - static_cast<double>(i % 70000) * 1e-5 - (state % 997) * 1e-9;
    std::snprintf(line, sizeof line,
                  "<trkpt lat=\"%.9f\" lon=\"%.9f\"><ele>%.1f</ele><time>2024-05-01T%02lld:%02lld:%02lldZ</time></trkpt>\n",
                  lat, lon, (state % 500) / 10.0, (i / 3600) % 24, (i / 60) % 60, i % 60);
    gpx << line;
    std::snprintf(line, sizeof line, "P;%.15f;%.15f;%u,%02u;-9999;01/05/2024 12:00:00\r\n", lon, lat,
                  state % 50, state % 100);
    chart << line;
  }
  gpx << "</trkseg></trk>\n</gpx>\n";
}

}  // namespace

int main(int argc, char** argv) {
  BenchArguments arguments;
  arguments.runs = 2;
  if (!ParseBenchArguments(argc, argv, arguments)) return 2;
  const auto& [convert, folder, points, runs] = arguments;
  Generate(folder, points);
  sync();  // the inputs on the disk before any timing, as in the road benchmark
  const std::string gpx = folder + "/track.gpx", chart = folder + "/route_TRK.txt";
  const double gpx_bytes = static_cast<double>(SizeOf(gpx));

  std::printf("GPX reading: %lld track points, %.1f MB\n", points, MB(gpx_bytes));
  // Every point kept, as GPSBabel and Expat keep them: a budget far above
  // what the file could hold, so that nothing is kept for a reduction.
  const std::string all_points = "1000000000";
  const Measure ours_read = Run({convert, "-q", "-n", all_points, "track.gpx"}, folder, runs);
  const Measure babel_read = Run({"gpsbabel", "-i", "gpx", "-f", "track.gpx", "-o", "unicsv", "-F", "babel.csv"}, folder, runs);
  const Measure expat_read = ExpatPass(gpx, runs);
  const double device_bytes = static_cast<double>(SizeOf(folder + "/track.asc"));
  PrintRow("tessaline-convert GPX -> device", ours_read, gpx_bytes);
  PrintRow("GPSBabel GPX -> unicsv", babel_read, gpx_bytes);
  PrintRow("Expat alone", expat_read, gpx_bytes);
  std::printf("  device file written: %.1f MiB\n", MiB(device_bytes));
  // The same road fitting the track to the device's 32,766 lines.
  const Measure ours_fit = Run({convert, "-q", "track.gpx"}, folder, runs);
  PrintRow("tessaline-convert GPX -> device, fitted", ours_fit, gpx_bytes);

  std::printf("GPX writing: chart track file of %lld points, %.1f MB\n", points, MB(static_cast<double>(SizeOf(chart))));
  const Measure ours_write = Run({convert, "-q", "-g", "route_TRK.txt"}, folder, runs);
  const std::string written = folder + "/route_TRK.gpx";
  const double written_bytes = static_cast<double>(SizeOf(written));
  const Measure babel_write =
      Run({"gpsbabel", "-i", "gpx", "-f", "route_TRK.gpx", "-o", "gpx", "-F", "babel.gpx"}, folder, runs);
  const double babel_bytes = static_cast<double>(SizeOf(folder + "/babel.gpx"));
  const Measure expat_write = ExpatPass(written, runs);
  std::printf("  (MB/s of GPX output; Expat: of the same output read)\n");
  PrintRow("tessaline-convert chart -> GPX", ours_write, written_bytes);
  PrintRow("GPSBabel GPX -> GPX", babel_write, babel_bytes);
  PrintRow("Expat alone over our GPX", expat_write, written_bytes);

  if (!ours_read.ok || !ours_write.ok) return 2;
  const double read_rate = MB(gpx_bytes) / ours_read.seconds;
  const double write_rate = MB(written_bytes) / ours_write.seconds;
  std::printf("Ratios: reading %.2fx GPSBabel, %.2fx Expat's time; writing %.2fx GPSBabel\n",
              babel_read.ok ? babel_read.seconds / ours_read.seconds : 0.0,
              expat_read.ok ? expat_read.seconds / ours_read.seconds : 0.0,
              babel_write.ok ? (MB(written_bytes) / ours_write.seconds) / (MB(babel_bytes) / babel_write.seconds) : 0.0);
  std::printf("Targets:\n");
  bool met = true;
  met &= PrintTarget("reading >= 100 MB/s", read_rate >= kReadMBps);
  met &= PrintTarget("reading >= 3x GPSBabel", babel_read.ok && babel_read.seconds >= kReadTimesBabel * ours_read.seconds);
  met &= PrintTarget("writing >= 300 MB/s of output", write_rate >= kWriteMBps);
  met &= PrintTarget("writing >= 4x GPSBabel GPX -> GPX",
                babel_write.ok && write_rate >= kWriteTimesBabel * MB(babel_bytes) / babel_write.seconds);
  met &= PrintTarget("peak memory reading <= output + 32 MiB", ours_read.peak_mib <= MiB(device_bytes) + kMemoryAllowanceMiB);
  met &= PrintTarget("fitted to the device within 2x keeping every point",
                ours_fit.ok && ours_fit.seconds <= 2.0 * ours_read.seconds);
  return met ? 0 : 1;
}
