#pragma once
// Timing whole programs and the references they are measured against, in
// the same run: a child process with its peak memory, a bare Expat pass
// over a file, and a durable copy of a file (what writing its bytes safely
// costs at least). Each gives the median of several runs.

#include <expat.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace tessaline::bench {

// --convert PROGRAM --folder DIR [--points N] [--runs N], as the GPX and
// road benchmarks take them; false (after a usage line) when one is missing.
struct BenchArguments {
  std::string convert, folder;
  long long points = 1000000;
  int runs = 5;
};
inline bool ParseBenchArguments(int argc, char** argv, BenchArguments& arguments) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--convert") arguments.convert = argv[i + 1];
    if (option == "--folder") arguments.folder = argv[i + 1];
    if (option == "--points") arguments.points = std::atoll(argv[i + 1]);
    if (option == "--runs") arguments.runs = std::atoi(argv[i + 1]);
  }
  if (!arguments.convert.empty() && !arguments.folder.empty()) return true;
  std::fprintf(stderr, "usage: %s --convert PROGRAM --folder DIR [--points N] [--runs N]\n", argv[0]);
  return false;
}

inline double MiB(double bytes) { return bytes / (1024.0 * 1024.0); }
inline double MB(double bytes) { return bytes / 1e6; }

inline long long SizeOf(const std::string& path) {
  struct stat info{};
  return stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

struct Measure {
  bool ok = false;
  double seconds = 0;   // the median of the runs
  double peak_mib = 0;  // the largest resident set of a child
};

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// `argv` in `folder`, its output to /dev/null; the median of `runs`.
inline Measure Run(const std::vector<std::string>& argv, const std::string& folder, int runs) {
  Measure measure;
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    std::vector<char*> pointers;
    for (const auto& argument : argv) pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) return {};
    if (child == 0) {
      if (chdir(folder.c_str()) != 0) _exit(126);
      const int fd = open("/dev/null", O_WRONLY);
      dup2(fd, 1);
      dup2(fd, 2);
      execvp(pointers[0], pointers.data());
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) < 0) return {};
    times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    measure.peak_mib = std::max(measure.peak_mib, static_cast<double>(usage.ru_maxrss) / 1024.0);
  }
  measure.ok = true;
  measure.seconds = Median(times);
  return measure;
}

// Times `body` (which returns false on failure) `runs` times; the median.
template <typename Body>
Measure Timed(int runs, Body body) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    if (!body()) return {};
    times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return Measure{true, Median(times), 0};
}

inline void XMLCALL CountElement(void* data, const XML_Char*, const XML_Char**) {
  ++*static_cast<long long*>(data);
}

// Expat alone: the file in 1 MiB blocks, one counter per start tag.
inline Measure ExpatPass(const std::string& path, int runs) {
  return Timed(runs, [&] {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    XML_Parser parser = XML_ParserCreate(nullptr);
    long long elements = 0;
    XML_SetUserData(parser, &elements);
    XML_SetStartElementHandler(parser, &CountElement);
    bool ok = true;
    for (;;) {
      void* buffer = XML_GetBuffer(parser, 1 << 20);
      const std::size_t n = std::fread(buffer, 1, 1 << 20, file);
      if (XML_ParseBuffer(parser, static_cast<int>(n), n == 0) != XML_STATUS_OK) ok = false;
      if (!ok || n == 0) break;
    }
    XML_ParserFree(parser);
    std::fclose(file);
    return ok;
  });
}

// A durable copy of each of `files` to a new file beside it: read in 1 MiB
// blocks, written, flushed to the disk, closed (as dd conv=fsync does).
inline Measure DurableCopy(const std::vector<std::string>& files, int runs) {
  return Timed(runs, [&] {
    std::vector<char> buffer(1 << 20);
    for (const std::string& from : files) {
      const std::string to = from + ".copy";
      const int in = open(from.c_str(), O_RDONLY);
      const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (in < 0 || out < 0) return false;
      for (;;) {
        const ssize_t n = read(in, buffer.data(), buffer.size());
        if (n < 0) return false;
        if (n == 0) break;
        if (write(out, buffer.data(), static_cast<std::size_t>(n)) != n) return false;
      }
      const bool synced = fsync(out) == 0;
      close(in);
      close(out);
      unlink(to.c_str());
      if (!synced) return false;
    }
    return true;
  });
}

// One line of a table: time, MB/s of `bytes` and peak memory, or FAILED.
inline void PrintRow(const char* what, const Measure& m, double bytes, int width = 34) {
  if (!m.ok) {
    std::printf("  %-*s FAILED\n", width, what);
    return;
  }
  std::printf("  %-*s %8.3f s %9.1f MB/s", width, what, m.seconds, MB(bytes) / m.seconds);
  if (m.peak_mib > 0) std::printf(" %8.1f MiB peak", m.peak_mib);
  std::printf("\n");
}

// A target and whether it is met; returns `met`.
inline bool PrintTarget(const std::string& what, bool met, int width = 60) {
  std::printf("  %-*s %s\n", width, what.c_str(), met ? "met" : "MISSED");
  return met;
}

}  // namespace tessaline::bench
