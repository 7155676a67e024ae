// NMEA 0183 log speed, in the same run:
//   a generated log (RMC, GGA, GSA, GSV, VTG and instrument sentences at
//   1 Hz, CR LF) -> GPX (tessaline-convert -g), against
//   the least the machine needs for it: a bare pass that reads the log in
//   1 MiB blocks, finds its line ends and checks every checksum, plus a
//   durable copy of the GPX written; and GPSBabel's -i nmea -o gpx.
// Prints time, MB/s and peak memory of each, the ratios and the targets.
// Exit status 1 when a target is missed, 2 when something failed.
//
// Usage: tessaline-bench-nmea --convert PROGRAM --folder DIR [--points MB] [--runs N]
//   (--points gives the log's size in MB here; 100 by default)

#include "support/measure.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace tessaline::bench;

constexpr double kTimesBarePass = 0.5, kTimesBabel = 10.0, kMemoryMiB = 32.0;

// "$" + body + "*hh\r\n".
void Sentence(std::string& out, const char* body) {
  unsigned sum = 0;
  for (const char* c = body; *c != 0; ++c) sum ^= static_cast<unsigned char>(*c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  out += '$';
  out += body;
  out += tail;
}

// Seconds of logging until the log holds `bytes`.
long long Generate(const std::string& path, double bytes) {
  std::ofstream log(path, std::ios::binary);
  std::string block;
  char body[160];
  long long seconds = 0;
  double written = 0;
  unsigned state = 12345;
  for (; written < bytes; ++seconds) {
    state = state * 1103515245u + 12345u;
    const long long day = seconds / 86400, time = seconds % 86400;
    const int hh = static_cast<int>(time / 3600), mm = static_cast<int>(time / 60 % 60), ss = static_cast<int>(time % 60);
    const int date_day = static_cast<int>(1 + day % 28), month = static_cast<int>(1 + day / 28 % 12);
    const double lat_minutes = 7.0 + static_cast<double>(seconds % 50000) * 1e-4 + (state % 100) * 1e-6;
    const double lon_minutes = 31.0 + static_cast<double>(seconds % 30000) * 1e-4;
    block.clear();
    std::snprintf(body, sizeof body, "GPRMC,%02d%02d%02d.00,A,48%07.4f,N,004%07.4f,W,5.2,084.4,%02d%02d24,003.1,W,A",
                  hh, mm, ss, lat_minutes, lon_minutes, date_day, month);
    Sentence(block, body);
    std::snprintf(body, sizeof body, "GPGGA,%02d%02d%02d.00,48%07.4f,N,004%07.4f,W,1,08,0.9,%.1f,M,46.9,M,,", hh, mm,
                  ss, lat_minutes, lon_minutes, (state % 200) / 10.0);
    Sentence(block, body);
    Sentence(block, "GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1");
    Sentence(block, "GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00");
    Sentence(block, "GPGSV,3,2,11,14,25,170,00,16,57,208,39,18,67,296,40,19,40,246,00");
    Sentence(block, "GPGSV,3,3,11,22,42,067,42,24,14,311,43,27,05,244,00,,,,");
    Sentence(block, "GPVTG,084.4,T,087.5,M,5.2,N,9.6,K,A");
    std::snprintf(body, sizeof body, "IIMWV,%03u,R,%.1f,N,A", state % 360, (state % 300) / 10.0);
    Sentence(block, body);
    std::snprintf(body, sizeof body, "IIDBT,%.1f,f,%.1f,M,2.0,F", (state % 900) / 10.0 * 3.28, (state % 900) / 10.0);
    Sentence(block, body);
    Sentence(block, "HCHDG,101.1,,,7.1,W");
    log << block;
    written += static_cast<double>(block.size());
  }
  return seconds;
}

int Hex(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

// The least a reader does: every byte read in 1 MiB blocks, every line end
// found, every checksum checked. Counts the sentences whose sum is right.
Measure BarePass(const std::string& path, int runs, long long& right) {
  return Timed(runs, [&] {
    const int in = open(path.c_str(), O_RDONLY);
    if (in < 0) return false;
    std::vector<char> buffer(1 << 20);
    std::size_t kept = 0;
    right = 0;
    for (;;) {
      const ssize_t n = read(in, buffer.data() + kept, buffer.size() - kept);
      if (n < 0) return false;
      const std::size_t size = kept + static_cast<std::size_t>(n);
      std::size_t start = 0;
      for (std::size_t at = 0; at < size; ++at) {
        if (buffer[at] != '\n' && buffer[at] != '\r') continue;
        // A line: its sum from after "$" up to "*", then the two digits.
        unsigned sum = 0;
        std::size_t i = start + 1;
        while (i < at && buffer[i] != '*') sum ^= static_cast<unsigned char>(buffer[i++]);
        if (i + 2 < at && static_cast<unsigned>(Hex(buffer[i + 1]) * 16 + Hex(buffer[i + 2])) == sum) ++right;
        start = at + 1;
      }
      if (n == 0) break;
      kept = size - start;
      std::copy(buffer.begin() + static_cast<std::ptrdiff_t>(start), buffer.begin() + static_cast<std::ptrdiff_t>(size),
                buffer.begin());
    }
    close(in);
    return right > 0;
  });
}

}  // namespace

int main(int argc, char** argv) {
  BenchArguments arguments;
  arguments.runs = 3;
  arguments.points = 100;
  if (!ParseBenchArguments(argc, argv, arguments)) return 2;
  const auto& [convert, folder, megabytes, runs] = arguments;
  const std::string log = folder + "/bord.nmea", gpx = folder + "/bord.gpx";
  const long long seconds = Generate(log, static_cast<double>(megabytes) * 1e6);
  sync();  // the input on the disk before any timing
  const double log_bytes = static_cast<double>(SizeOf(log));
  std::printf("NMEA log: %.1f MB, %lld s of logging at 1 Hz (%lld sentences)\n", MB(log_bytes), seconds,
              seconds * 10);

  const Measure ours = Run({convert, "-q", "-g", "bord.nmea"}, folder, runs);
  const double gpx_bytes = static_cast<double>(SizeOf(gpx));
  long long right = 0;
  const Measure bare = BarePass(log, runs, right);
  const Measure copy = DurableCopy({gpx}, runs);
  const Measure babel =
      Run({"gpsbabel", "-i", "nmea", "-f", "bord.nmea", "-o", "gpx", "-F", "babel.gpx"}, folder, 1);
  PrintRow("tessaline-convert -g log -> GPX", ours, log_bytes, 40);
  PrintRow("bare pass (lines, checksums)", bare, log_bytes, 40);
  PrintRow("durable copy of the GPX", copy, gpx_bytes, 40);
  PrintRow("GPSBabel -i nmea -o gpx", babel, log_bytes, 40);
  std::printf("  GPX written: %.1f MB; sentences with a right sum in the bare pass: %lld\n", MB(gpx_bytes), right);
  if (!ours.ok || !bare.ok || !copy.ok) return 2;
  const double reference = bare.seconds + copy.seconds;
  std::printf("Ratios: %.2fx the bare pass plus the copy's speed; %.1fx GPSBabel's\n", reference / ours.seconds,
              babel.ok ? babel.seconds / ours.seconds : 0.0);
  std::printf("Targets:\n");
  bool met = true;
  met &= PrintTarget(">= 0.5x a bare pass plus a durable copy of the GPX", reference >= kTimesBarePass * ours.seconds);
  met &= PrintTarget(">= 10x GPSBabel -i nmea -o gpx", babel.ok && babel.seconds >= kTimesBabel * ours.seconds);
  met &= PrintTarget("peak memory <= 32 MiB, nothing reduced", ours.peak_mib <= kMemoryMiB);
  return met ? 0 : 1;
}
