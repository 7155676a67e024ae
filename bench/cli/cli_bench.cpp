// Runs tessaline-convert on every input that tessaline-bench-generate wrote,
// and the same work by two reference commands in the same run: cat of the
// input to a file (what copying costs on this machine) and GPSBabel reading
// and writing the same points as unicsv. Prints per case the time, lines/s,
// MB/s of input, peak memory of each child (wait4), the ratios, and then the
// targets. Exit status 1 when a target is missed, 2 when something failed.
//
// Usage: tessaline-bench-cli --convert PROGRAM --inputs FOLDER [--repeat N]

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double kTrackMegabytesPerSecond = 200.0;
constexpr double kTimesGpsBabel = 20.0;
constexpr double kDeviceMilliseconds = 100.0;
constexpr double kMemoryAllowanceMiB = 32.0;
constexpr double kRepeatBudgetSeconds = 20.0;  // per command and case

struct Case {
  std::string kind, input, csv;
  long long lines = 0, points = 0;
};

struct Measure {
  bool ran = false;     // at least one run
  bool ok = true;       // every run exited 0
  double seconds = 0;   // the best run
  double peak_mib = 0;  // the largest peak of all runs
};

double MiB(double bytes) { return bytes / (1024.0 * 1024.0); }

long long SizeOf(const std::string& path) {
  struct stat info{};
  return stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

// One run of `argv` in `folder`, stdout to `stdout_path` ("" : /dev/null).
bool RunOnce(const std::vector<std::string>& argv, const std::string& folder,
             const std::string& stdout_path, double& seconds, double& peak_mib) {
  std::vector<char*> pointers;
  for (const auto& argument : argv) pointers.push_back(const_cast<char*>(argument.c_str()));
  pointers.push_back(nullptr);
  const std::string out = stdout_path.empty() ? "/dev/null" : stdout_path;

  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) _exit(126);
    dup2(fd, 1);
    close(fd);
    execvp(pointers[0], pointers.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) < 0) return false;
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  peak_mib = static_cast<double>(usage.ru_maxrss) / 1024.0;  // KiB on Linux
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

Measure Best(const std::vector<std::string>& argv, const std::string& folder, const std::string& stdout_path,
             int repeats) {
  Measure best;
  double spent = 0;
  for (int i = 0; i < repeats && (i == 0 || spent < kRepeatBudgetSeconds); ++i) {
    double seconds = 0, peak = 0;
    const bool ok = RunOnce(argv, folder, stdout_path, seconds, peak);
    best.ok = best.ok && ok;
    best.seconds = best.ran ? std::min(best.seconds, seconds) : seconds;
    best.peak_mib = std::max(best.peak_mib, peak);
    best.ran = true;
    spent += seconds;
  }
  return best;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Lines of a chart or device file that start with `kind` ("" : every line
// that is not empty).
long long CountLines(const std::string& path, const char* kind) {
  const std::string text = ReadAll(path);
  long long count = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (end > start && text.compare(start, std::strlen(kind), kind) == 0) ++count;
    start = end + 2;
  }
  return count;
}

bool GpsBabelAvailable() { return std::system("command -v gpsbabel >/dev/null 2>&1") == 0; }

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

}  // namespace

int main(int argc, char** argv) {
  std::string program, folder;
  int repeats = 3;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--convert") == 0) program = argv[i + 1];
    else if (std::strcmp(argv[i], "--inputs") == 0) folder = argv[i + 1];
    else if (std::strcmp(argv[i], "--repeat") == 0) repeats = std::max(1, std::atoi(argv[i + 1]));
  }
  if (program.empty() || folder.empty()) {
    std::fprintf(stderr, "usage: %s --convert PROGRAM --inputs FOLDER [--repeat N]\n", argv[0]);
    return 2;
  }
  std::vector<Case> cases;
  {
    std::ifstream list(folder + "/cases.txt");
    std::string line;
    while (std::getline(list, line)) {
      Case c;
      std::istringstream fields(line);
      std::getline(fields, c.kind, '\t');
      std::getline(fields, c.input, '\t');
      std::getline(fields, c.csv, '\t');
      fields >> c.lines >> c.points;
      if (!c.input.empty()) cases.push_back(c);
    }
  }
  if (cases.empty()) {
    std::fprintf(stderr, "no cases in %s/cases.txt: run tessaline-bench-generate first\n", folder.c_str());
    return 2;
  }
  const bool gpsbabel = GpsBabelAvailable();
  if (!gpsbabel) std::fprintf(stderr, "gpsbabel not found: its columns stay empty\n");

  std::printf("Best of %d runs; MB = 10^6 bytes; peak = largest resident set of the child.\n\n", repeats);
  std::printf("%-22s %9s %8s | %-37s | %-9s | %-28s | %s\n", "", "", "", "tessaline-convert", "cat",
              "GPSBabel unicsv", "ratios");
  std::printf("%-22s %9s %8s | %8s %10s %7s %9s | %9s | %8s %10s %8s | %7s %10s\n", "case", "lines", "MB", "s",
              "lines/s", "MB/s", "peak MiB", "MB/s", "s", "points/s", "peak MiB", "MB/s", "points/s");
  std::printf("%-22s %9s %8s | %8s %10s %7s %9s | %9s | %8s %10s %8s | %7s %10s\n", "", "", "", "", "", "", "",
              "", "", "", "", "/ cat", "/ GPSBabel");

  bool failed = false, missed = false;
  std::vector<std::string> targets;
  char text[512];
  for (const Case& c : cases) {
    const std::string input = folder + "/" + c.input;
    const double megabytes = static_cast<double>(SizeOf(input)) / 1e6;
    // Every point kept: the speed of the road, not of the fit to the device.
    const Measure ours = Best({program, "-q", "-n", "1000000000", c.input}, folder, "", repeats);

    // The run must really have converted every point, or its speed means nothing.
    const std::string base = input.substr(0, input.size() - 4);
    std::vector<std::string> outputs;
    long long converted = 0;
    if (c.kind == "device") {
      outputs = {base + "_TRK.txt", base + "_WPT.txt"};
      converted = CountLines(outputs[0], "P;") + CountLines(outputs[1], "W;");
    } else {
      outputs = {base + ".asc"};
      converted = CountLines(outputs[0], "");
    }
    double output_mib = 0;
    for (const auto& output : outputs) output_mib += MiB(static_cast<double>(std::max(0LL, SizeOf(output))));
    if (!ours.ok || converted != c.points) {
      std::fprintf(stderr, "%s: tessaline-convert failed or converted %lld of %lld points\n", c.input.c_str(),
                   converted, c.points);
      failed = true;
    }
    for (const auto& output : outputs) std::remove(output.c_str());

    const std::string copy = folder + "/cat.out";
    const Measure cat = Best({"cat", c.input}, folder, copy, repeats);
    std::remove(copy.c_str());

    Measure babel;
    if (gpsbabel) {
      const std::string out = folder + "/gpsbabel.out.csv";
      babel = Best({"gpsbabel", "-i", "unicsv", "-f", c.csv, "-o", "unicsv", "-F", "gpsbabel.out.csv"}, folder, "",
                   repeats);
      // Its output has a header line and the points, one a line.
      const std::string written = ReadAll(out);
      const long long rows = static_cast<long long>(std::count(written.begin(), written.end(), '\n')) - 1;
      std::remove(out.c_str());
      if (!babel.ok || rows != c.points) {
        std::fprintf(stderr, "%s: gpsbabel failed or wrote %lld of %lld points\n", c.csv.c_str(), rows, c.points);
        babel.ok = false;
      }
    }

    const double our_mbps = megabytes / ours.seconds;
    const double our_points = static_cast<double>(c.points) / ours.seconds;
    const double cat_mbps = megabytes / cat.seconds;
    const double babel_points = babel.ran ? static_cast<double>(c.points) / babel.seconds : 0;
    const std::string label = c.kind + " " + std::to_string(c.lines);
    std::printf("%-22s %9lld %8.1f | %8.3f %10.0f %7.0f %9.1f | %9.0f | ", label.c_str(), c.lines, megabytes,
                ours.seconds, static_cast<double>(c.lines) / ours.seconds, our_mbps, ours.peak_mib, cat_mbps);
    if (babel.ran && babel.ok) {
      std::printf("%8.3f %10.0f %8.1f | %7.2f %10.1f\n", babel.seconds, babel_points, babel.peak_mib,
                  our_mbps / cat_mbps, our_points / babel_points);
    } else {
      std::printf("%8s %10s %8s | %7.2f %10s\n", "-", "-", "-", our_mbps / cat_mbps, "-");
    }

    if (c.kind == "track" && c.lines == 1000000) {
      const bool speed = our_mbps >= kTrackMegabytesPerSecond;
      std::snprintf(text, sizeof text, "  1,000,000-line track file: %.0f MB/s (target >= %.0f) %s", our_mbps,
                    kTrackMegabytesPerSecond, Verdict(speed));
      targets.push_back(text);
      missed = missed || !speed;
      if (babel.ran && babel.ok) {
        const bool times = our_points / babel_points >= kTimesGpsBabel;
        std::snprintf(text, sizeof text, "  1,000,000-line track file: %.1fx GPSBabel's points/s (target >= %.0fx) %s",
                      our_points / babel_points, kTimesGpsBabel, Verdict(times));
        targets.push_back(text);
        missed = missed || !times;
      } else {
        targets.push_back("  1,000,000-line track file against GPSBabel: not measured");
      }
    }
    if (c.kind == "device") {
      const bool fast = ours.seconds * 1000 < kDeviceMilliseconds;
      std::snprintf(text, sizeof text, "  %lld-line device file: %.1f ms (target < %.0f ms) %s", c.lines,
                    ours.seconds * 1000, kDeviceMilliseconds, Verdict(fast));
      targets.push_back(text);
      missed = missed || !fast;
    } else {
      const bool small = ours.peak_mib <= output_mib + kMemoryAllowanceMiB;
      std::snprintf(text, sizeof text, "  %s peak memory: %.1f MiB (target <= output %.1f + %.0f MiB) %s",
                    label.c_str(), ours.peak_mib, output_mib, kMemoryAllowanceMiB, Verdict(small));
      targets.push_back(text);
      missed = missed || !small;
    }
    std::fflush(stdout);
  }
  std::printf("\nTargets\n");
  for (const auto& line : targets) std::printf("%s\n", line.c_str());
  if (failed) return 2;
  return missed ? 1 : 0;
}
