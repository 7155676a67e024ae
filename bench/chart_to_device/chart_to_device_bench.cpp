// Times the chart-to-device conversion of a 1,000,000-line track file and of
// a large waypoint file without a window, and reports the peak memory of each
// run. Each conversion runs in a child process so that its peak is its own.
//
// Usage: chart_to_device_bench [folder]   (default: a new folder under /tmp)
// Exit status 1 when a run misses its target.

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "convert/chart_to_device/chart_to_device_converter.h"
#include "host/real_file_system.h"

namespace {

using namespace tessaline;

constexpr double kMinMegabytesPerSecond = 200.0;
constexpr double kMemoryAllowanceMiB = 32.0;

// A host that does nothing, as cheap as a window that never repaints.
class NullHost final : public Host {
 public:
  void SetStepText(const std::string&) override {}
  void SetMainPercentage(const std::string&) override {}
  void SetInnerPercentage(const std::string&) override {}
  void MarkStepFinished(int) override {}
  void ShowCompletion(const std::string& caption, const ConversionNotes&) override { completed = !caption.empty(); }
  void ShowMessage(const std::string& text, MessageIcon, const ConversionNotes&) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
  bool Yield() override { return false; }
  FileSystem& Files() override { return files_; }
  bool completed = false;

 private:
  RealFileSystem files_;
};

// Writes a file in pieces so that generating it costs the parent no memory.
class FileMaker {
 public:
  explicit FileMaker(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {
    if (!file_) {
      std::perror(path.c_str());
      std::exit(2);
    }
  }
  // Flushed to the disk, so that writing back the generated files does not
  // slow down the measured conversion.
  ~FileMaker() {
    Flush();
    std::fflush(file_);
    fsync(fileno(file_));
    std::fclose(file_);
  }
  FileMaker& operator<<(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= (1u << 20)) Flush();
    return *this;
  }
  // A coordinate in the chart notation: 15 decimals.
  FileMaker& Coordinate(double value) {
    char digits[64];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 15).ptr;
    return *this << std::string_view(digits, static_cast<std::size_t>(end - digits));
  }
  FileMaker& Integer(long value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return *this << std::string_view(digits, static_cast<std::size_t>(end - digits));
  }

 private:
  void Flush() {
    std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
    buffer_.clear();
  }
  std::FILE* file_;
  std::string buffer_;
};

void MakeTrackFile(const std::string& path, long lines) {
  FileMaker out(path);
  for (long i = 0; i < lines; ++i) {
    if (i % 1000 == 0) {
      out << "T;Trace du matin ";
      out.Integer(i / 1000) << ";1;1\r\n";
      continue;
    }
    out << "P;";
    out.Coordinate(-4.5 - static_cast<double>(i) * 1e-6) << ";";
    out.Coordinate(47.123 + static_cast<double>(i) * 1e-6) << ";";
    out.Integer(i % 100) << ",50;-9999;29/02/2024 23:59:58\r\n";
  }
}

void MakeWaypointFile(const std::string& path, long lines) {
  FileMaker out(path);
  for (long i = 0; i < lines; ++i) {
    out << "W;Bouée ";
    out.Integer(i) << ";;";
    out.Coordinate(-4.5 - static_cast<double>(i) * 1e-6) << ";";
    out.Coordinate(47.123 + static_cast<double>(i) * 1e-6) << ";-9999;";
    out.Coordinate(47.123 + static_cast<double>(i) * 1e-6) << ";";
    out.Coordinate(-4.5 - static_cast<double>(i) * 1e-6)
        << ";0;C8;WGS84;2;1;18;255;1;0;3;Arial,8,0,0,0,0;0;65535;16;0;0\r\n";
  }
}

std::uint64_t SizeOf(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

struct ChildReport {
  double seconds = 0;
  bool completed = false;
};

// Converts `input` in a child process; false when it missed a target.
bool Measure(const char* label, const std::string& input, const std::string& output) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return false;
  const pid_t child = fork();
  if (child == 0) {
    close(pipe_ends[0]);
    NullHost host;
    const auto start = std::chrono::steady_clock::now();
    // Every point kept: what is timed is the conversion, not a reduction.
    const ConversionOutcome outcome = ConvertChartToDevice(host, input, PointBudget::ForDevice(1'000'000'000));
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    ChildReport report{elapsed.count(), outcome == ConversionOutcome::Completed && host.completed};
    const bool sent = write(pipe_ends[1], &report, sizeof report) == sizeof report;
    _exit(sent ? 0 : 1);
  }
  close(pipe_ends[1]);
  ChildReport report;
  const bool received = read(pipe_ends[0], &report, sizeof report) == sizeof report;
  close(pipe_ends[0]);
  int status = 0;
  struct rusage usage {};
  wait4(child, &status, 0, &usage);
  if (!received || !report.completed) {
    std::printf("%s: the conversion failed\n", label);
    return false;
  }
  const double input_mb = static_cast<double>(SizeOf(input)) / 1e6;
  const double output_mib = static_cast<double>(SizeOf(output)) / (1024.0 * 1024.0);
  const double peak_mib = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
  const double speed = input_mb / report.seconds;
  const bool fast = speed >= kMinMegabytesPerSecond;
  const bool small = peak_mib <= output_mib + kMemoryAllowanceMiB;
  const double cpu_seconds =
      static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  std::printf("%s: %.1f MB in %.3f s (%.3f s of CPU) = %.0f MB/s (target >= %.0f) %s\n", label,
              input_mb, report.seconds, cpu_seconds, speed, kMinMegabytesPerSecond,
              fast ? "ok" : "TOO SLOW");
  std::printf("%s: peak memory %.1f MiB, output %.1f MiB (target <= output + %.0f MiB) %s\n",
              label, peak_mib, output_mib, kMemoryAllowanceMiB, small ? "ok" : "TOO BIG");
  return fast && small;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  if (argc > 1) {
    folder = argv[1];
  } else {
    char pattern[] = "/tmp/tessaline-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
      std::perror("mkdtemp");
      return 2;
    }
    folder = pattern;
  }
  const std::string track = folder + "/bench_TRK.txt";
  const std::string waypoints = folder + "/bench_WPT.txt";
  MakeTrackFile(track, 1'000'000);
  MakeWaypointFile(waypoints, 500'000);

  bool ok = Measure("track file, 1,000,000 lines", track, folder + "/bench_TRK.asc");
  ok = Measure("waypoint file, 500,000 lines", waypoints, folder + "/bench_WPT.asc") && ok;

  for (const char* name : {"/bench_TRK.txt", "/bench_WPT.txt", "/bench_TRK.asc", "/bench_WPT.asc"})
    unlink((folder + name).c_str());
  if (argc <= 1) rmdir(folder.c_str());
  return ok ? 0 : 1;
}
