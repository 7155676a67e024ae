// Times the conversion of the largest device file the converter takes
// (32,766 lines, tracks and waypoints mixed) with a host that does nothing,
// so the figure is the converter's own work and its file access. The same
// conversion without flushing the outputs to the disk is timed in the same
// run, as the reference that shows what durability costs.
//
//   device_to_chart_bench [runs]     (default 10; prints each run and the best)

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "convert/device_to_chart/device_to_chart_converter.h"
#include "host/real_file_system.h"
#include "support/forwarding_file_system.h"

namespace {

using namespace tessaline;

// The real file system, less the flushes to the disk.
class NoFlushFileSystem final : public bench::ForwardingFileSystem {
 public:
  FileResult<std::unique_ptr<OutputFile>> CreateTemporaryBeside(const std::string& target,
                                                                std::string& temp_path, std::uint32_t readers) override {
    auto file = real_.CreateTemporaryBeside(target, temp_path, readers);
    if (!file) return file.fault();
    return std::make_unique<Unflushed>(std::move(*file));
  }
  FileStatus SyncFolder(const std::string&) override { return {}; }

 private:
  class Unflushed final : public OutputFile {
   public:
    explicit Unflushed(std::unique_ptr<OutputFile> file) : file_(std::move(file)) {}
    bool Write(std::string_view data) override { return file_->Write(data); }
    bool Sync() override { return true; }
    bool Close() override { return file_->Close(); }

   private:
    std::unique_ptr<OutputFile> file_;
  };
};

class NoOpHost final : public Host {
 public:
  void SetStepText(const std::string&) override {}
  void SetMainPercentage(const std::string&) override {}
  void SetInnerPercentage(const std::string&) override {}
  void MarkStepFinished(int) override {}
  void ShowCompletion(const std::string&, const ConversionNotes&) override {}
  void ShowMessage(const std::string& text, MessageIcon, const ConversionNotes&) override { message = text; }
  bool Yield() override { return false; }
  FileSystem& Files() override { return files; }

  explicit NoOpHost(FileSystem& file_system) : files(file_system) {}
  FileSystem& files;
  std::string message;
};

class FixedClock final : public Clock {
 public:
  LocalTime Now() override { return LocalTime{2024, 3, 7, 10, 11, 12}; }
};

// Runs of 1 to 12 points: about one point in seven is a waypoint.
std::string DeviceFile(int lines) {
  std::mt19937 random(12345);
  std::string text;
  text.reserve(static_cast<std::size_t>(lines) * 48);
  int group = 0, left_in_run = 0, n = 0;
  while (n < lines) {
    if (left_in_run == 0) {
      group = group == 500 ? 1 : group + 1;
      left_in_run = static_cast<int>(random() % 12) + 1;
    }
    ++n;
    --left_in_run;
    const double lat = 47.0 + (random() % 1000000) / 1e6;
    const double lon = -4.0 - (random() % 1000000) / 1e6;
    char buffer[32];
    text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, lat).ptr);
    text += ',';
    text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, lon).ptr);
    text += ',';
    text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, n % 100).ptr);
    text += ".25,\"Point ";
    text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, n).ptr);
    text += "\",";
    text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, group).ptr);
    text += "\r\n";
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("tessaline-d2c-bench-" + std::to_string(std::random_device{}()));
  fs::create_directories(folder / "program");
  const std::string input = (folder / "bench.zbx").string();
  RealFileSystem real;
  NoFlushFileSystem unflushed;
  {
    const std::string text = DeviceFile(32766);
    NoOpHost host(real);
    std::string temp;
    auto out = host.files.CreateTemporaryBeside(input, temp, 0777);
    if (!out || !(*out)->Write(text) || !(*out)->Close() || !host.files.Rename(temp, input)) {
      std::cerr << "cannot write " << input << "\n";
      return 1;
    }
  }

  // Alternate the two so that a busy moment of the machine hits both.
  std::vector<double> durable, reference;
  for (int run = 0; run < 2 * runs; ++run) {
    const bool flushed = run % 2 == 0;
    NoOpHost host(flushed ? static_cast<FileSystem&>(real) : unflushed);
    FixedClock clock;
    StagingLocation location{(folder / "program").string(), (folder / "cache").string(), false};
    DeviceToChartConverter converter(host, RegionalSettings::French(), clock, location);
    const auto start = std::chrono::steady_clock::now();
    const ConversionOutcome outcome = converter.ConvertDeviceToChart(input);
    const auto end = std::chrono::steady_clock::now();
    if (outcome != ConversionOutcome::Completed) {
      std::cerr << "conversion failed: " << host.message << "\n";
      fs::remove_all(folder);
      return 1;
    }
    auto& times = flushed ? durable : reference;
    times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    std::cout << "run " << run / 2 + 1 << (flushed ? " flushed:   " : " unflushed: ") << times.back()
              << " ms (" << converter.List1().size() << " tracks, " << converter.List2().size()
              << " waypoints)\n";
  }
  std::sort(durable.begin(), durable.end());
  std::sort(reference.begin(), reference.end());
  std::cout << "device to chart, 32766 lines: best " << durable.front() << " ms, median "
            << durable[durable.size() / 2] << " ms (target: under 100 ms)\n"
            << "  reference without flushing to the disk: best " << reference.front()
            << " ms, median " << reference[reference.size() / 2] << " ms\n";
  std::error_code error;
  fs::remove_all(folder, error);
  return 0;
}
