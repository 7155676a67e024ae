// KML and KMZ speed and memory, beside their references in the same run:
//   GPX -> KML: a bare Expat pass over the GPX plus a durable copy of the KML;
//   KML -> GPX: a bare Expat pass over the KML plus a durable copy of the GPX;
//   GPX -> KMZ: gzip -6 of the same KML document;
//   GPSBabel's -i gpx -o kml and -i kml -o gpx, on an input small enough for
//   it to finish.
// Every point kept; a track of N points, each with a time, an elevation and
// a value of its own. Prints time, MB/s and peak memory of each, the ratios
// and the targets. Exit status 1 when a target is missed, 2 when something
// failed.
//
// Usage: tessaline-bench-kml --convert PROGRAM --folder DIR [--points N]

#include "support/measure.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

using namespace tessaline::bench;

constexpr double kToGpxTimesReference = 0.7, kToKmlTimesReference = 0.5, kKmzTimesGzip = 0.5;
constexpr double kTimesBabel = 10.0, kPeakMiB = 32.0;
// GPSBabel holds the whole file: a third of the track keeps it within
// memory and a few seconds, and makes the durable commit at the end a small
// part of ours.
constexpr long long kBabelPoints = 300000;

void Generate(const std::string& path, long long points) {
  std::ofstream gpx(path, std::ios::binary);
  gpx << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<gpx version=\"1.1\" creator=\"bench\" xmlns=\"http://www.topografix.com/GPX/1/1\""
         " xmlns:tsl=\"urn:tessaline:gpx:1\">\n<trk><name>Trace</name><trkseg>\n";
  char line[320];
  unsigned state = 4242;
  for (long long i = 0; i < points; ++i) {
    state = state * 1103515245u + 12345u;
    std::snprintf(line, sizeof line,
                  "<trkpt lat=\"%.9f\" lon=\"%.9f\"><ele>%.1f</ele><time>2024-05-%02lldT%02lld:%02lld:%02lldZ</time>"
                  "<extensions><tsl:value>%u</tsl:value></extensions></trkpt>\n",
                  47.0 + static_cast<double>(i % 100000) * 1e-5 + (state % 1000) * 1e-9,
                  -4.0 - static_cast<double>(i % 70000) * 1e-5 - (state % 997) * 1e-9, (state % 500) / 10.0,
                  1 + (i / 86400) % 28, (i / 3600) % 24, (i / 60) % 60, i % 60, state % 100);
    gpx << line;
  }
  gpx << "</trkseg></trk>\n</gpx>\n";
}

void Row(const char* what, const Measure& m, double bytes) { PrintRow(what, m, bytes, 40); }
bool Target(const std::string& what, bool met) { return PrintTarget(what, met, 66); }

// How many times as fast as `reference` `ours` is.
double Times(const Measure& ours, double reference) { return ours.ok && ours.seconds > 0 ? reference / ours.seconds : 0; }

}  // namespace

int main(int argc, char** argv) {
  BenchArguments arguments;
  arguments.runs = 2;
  if (!ParseBenchArguments(argc, argv, arguments)) return 2;
  const auto& [convert, folder, points, runs] = arguments;
  Generate(folder + "/track.gpx", points);
  Generate(folder + "/small.gpx", std::min(points, kBabelPoints));
  sync();
  const std::string all_points = "1000000000";  // far above what the file holds: nothing kept for a fit
  const std::string gpx = folder + "/track.gpx", kml = folder + "/track.kml";
  const double gpx_bytes = static_cast<double>(SizeOf(gpx));
  std::printf("KML: a track of %lld points, GPX of %.1f MB\n", points, MB(gpx_bytes));

  const Measure to_kml = Run({convert, "-q", "-n", all_points, "-t", "kml", "track.gpx"}, folder, runs);
  const double kml_bytes = static_cast<double>(SizeOf(kml));
  const Measure expat_gpx = ExpatPass(gpx, runs);
  const Measure copy_kml = DurableCopy({kml}, runs);
  Row("tessaline-convert GPX -> KML", to_kml, kml_bytes);
  Row("Expat alone over the GPX", expat_gpx, gpx_bytes);
  Row("durable copy of the KML", copy_kml, kml_bytes);

  const Measure to_gpx = Run({convert, "-q", "-n", all_points, "-g", "track.kml", "-o", "back.gpx"}, folder, runs);
  const double back_bytes = static_cast<double>(SizeOf(folder + "/back.gpx"));
  const Measure expat_kml = ExpatPass(kml, runs);
  const Measure copy_gpx = DurableCopy({folder + "/back.gpx"}, runs);
  Row("tessaline-convert KML -> GPX", to_gpx, kml_bytes);
  Row("Expat alone over the KML", expat_kml, kml_bytes);
  Row("durable copy of the GPX", copy_gpx, back_bytes);

  const Measure to_kmz = Run({convert, "-q", "-n", all_points, "-t", "kmz", "track.gpx"}, folder, runs);
  const Measure gzip = Run({"sh", "-c", "gzip -6 -c track.kml > track.kml.gz"}, folder, runs);
  const double kmz_bytes = static_cast<double>(SizeOf(folder + "/track.kmz"));
  Row("tessaline-convert GPX -> KMZ", to_kmz, kml_bytes);
  Row("gzip -6 of the KML", gzip, kml_bytes);
  std::printf("  KML %.1f MB, KMZ %.1f MB\n", MB(kml_bytes), MB(kmz_bytes));
  const Measure from_kmz = Run({convert, "-q", "-n", all_points, "-g", "track.kmz", "-o", "back_kmz.gpx"}, folder, runs);
  Row("tessaline-convert KMZ -> GPX", from_kmz, kml_bytes);

  std::printf("Beside GPSBabel, %lld points:\n", std::min(points, kBabelPoints));
  const double small_bytes = static_cast<double>(SizeOf(folder + "/small.gpx"));
  const Measure ours_small = Run({convert, "-q", "-n", all_points, "-t", "kml", "small.gpx"}, folder, runs);
  const Measure babel_to_kml =
      Run({"gpsbabel", "-i", "gpx", "-f", "small.gpx", "-o", "kml", "-F", "babel.kml"}, folder, runs);
  const Measure ours_back = Run({convert, "-q", "-n", all_points, "-g", "small.kml", "-o", "small_back.gpx"}, folder, runs);
  const Measure babel_to_gpx =
      Run({"gpsbabel", "-i", "kml", "-f", "small.kml", "-o", "gpx", "-F", "babel.gpx"}, folder, runs);
  Row("tessaline-convert GPX -> KML", ours_small, small_bytes);
  Row("GPSBabel -i gpx -o kml", babel_to_kml, small_bytes);
  Row("tessaline-convert KML -> GPX", ours_back, small_bytes);
  Row("GPSBabel -i kml -o gpx (of our KML)", babel_to_gpx, small_bytes);

  if (!to_kml.ok || !to_gpx.ok || !to_kmz.ok) return 2;
  const double kml_reference = expat_gpx.seconds + copy_kml.seconds;
  const double gpx_reference = expat_kml.seconds + copy_gpx.seconds;
  std::printf("Ratios: KML -> GPX %.2fx its reference, GPX -> KML %.2fx, KMZ %.2fx gzip -6; "
              "%.1fx GPSBabel to KML, %.1fx from KML\n",
              Times(to_gpx, gpx_reference), Times(to_kml, kml_reference), Times(to_kmz, gzip.seconds),
              Times(ours_small, babel_to_kml.seconds), Times(ours_back, babel_to_gpx.seconds));
  std::printf("Targets:\n");
  bool met = true;
  met &= Target("KML -> GPX >= 0.7x Expat over the KML + a durable copy of the GPX",
                Times(to_gpx, gpx_reference) >= kToGpxTimesReference);
  met &= Target("GPX -> KML >= 0.5x Expat over the GPX + a durable copy of the KML",
                Times(to_kml, kml_reference) >= kToKmlTimesReference);
  met &= Target("KMZ writing >= 0.5x gzip -6 of the same document", gzip.ok && Times(to_kmz, gzip.seconds) >= kKmzTimesGzip);
  met &= Target(">= 10x GPSBabel -i gpx -o kml", babel_to_kml.ok && Times(ours_small, babel_to_kml.seconds) >= kTimesBabel);
  met &= Target(">= 10x GPSBabel -i kml -o gpx", babel_to_gpx.ok && Times(ours_back, babel_to_gpx.seconds) >= kTimesBabel);
  met &= Target("peak memory <= 32 MiB on every road, every point kept",
                to_kml.peak_mib <= kPeakMiB && to_gpx.peak_mib <= kPeakMiB && to_kmz.peak_mib <= kPeakMiB &&
                    from_kmz.peak_mib <= kPeakMiB);
  return met ? 0 : 1;
}
