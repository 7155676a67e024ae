// Converts the largest inputs inside the real window (offscreen platform)
// and the same inputs with a host that does nothing, and reports:
//   - how much slower the window makes a conversion (target <= 1.5x);
//   - the worst gap between the ticks of a 10 ms timer during the window's
//     conversion, leaving out gaps that span the writing of an output file
//     (target <= 20 ms), so that motion, hover and the close label keep
//     reacting while a file converts.
// Each figure is the best of three runs.
//
// Usage: window_bench [folder]   (default: a new folder under the system's
// temporary folder). Exit status 1 when a target is missed.

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "convert/chart_to_device/chart_to_device_converter.h"
#include "convert/device_to_chart/device_to_chart_converter.h"
#include "host/real_file_system.h"
#include "support/forwarding_file_system.h"
#include "shell/qt/controls.h"
#include "shell/qt/navy.h"

namespace {

using namespace tessaline;
using Steady = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr double kMaxSlowdown = 1.5;
constexpr double kMaxGapMs = 20.0;
constexpr int kRuns = 3;

struct Interval {
  Steady::time_point start, end;
};

// The machine's file system, noting when output files are being written.
class TimedFileSystem final : public bench::ForwardingFileSystem {
 public:
  std::vector<Interval> writes;

  FileResult<std::unique_ptr<OutputFile>> CreateTemporaryBeside(const std::string& target,
                                                                std::string& temp_path, std::uint32_t readers) override {
    auto file = real_.CreateTemporaryBeside(target, temp_path, readers);
    if (!file) return file.fault();
    return std::make_unique<TimedOutput>(std::move(*file), writes);
  }
  FileStatus Rename(const std::string& from, const std::string& to) override {
    const auto start = Steady::now();
    const FileStatus done = real_.Rename(from, to);
    writes.push_back({start, Steady::now()});
    return done;
  }
  FileStatus SyncFolder(const std::string& folder) override {
    const auto start = Steady::now();
    const FileStatus done = real_.SyncFolder(folder);
    writes.push_back({start, Steady::now()});
    return done;
  }

 private:
  class TimedOutput final : public OutputFile {
   public:
    TimedOutput(std::unique_ptr<OutputFile> file, std::vector<Interval>& writes)
        : file_(std::move(file)), writes_(writes) {}
    bool Write(std::string_view data) override {
      const auto start = Steady::now();
      const bool done = file_->Write(data);
      writes_.push_back({start, Steady::now()});
      return done;
    }
    bool Sync() override {
      const auto start = Steady::now();
      const bool done = file_->Sync();
      writes_.push_back({start, Steady::now()});
      return done;
    }
    bool Close() override {
      const auto start = Steady::now();
      const bool done = file_->Close();
      writes_.push_back({start, Steady::now()});
      return done;
    }

   private:
    std::unique_ptr<OutputFile> file_;
    std::vector<Interval>& writes_;
  };
};

// A host that does nothing: the conversion's own cost.
class NullHost final : public Host {
 public:
  explicit NullHost(FileSystem& files) : files_(files) {}
  void SetStepText(const std::string&) override {}
  void SetMainPercentage(const std::string&) override {}
  void SetInnerPercentage(const std::string&) override {}
  void MarkStepFinished(int) override {}
  void ShowCompletion(const std::string&, const ConversionNotes&) override { completed = true; }
  void ShowMessage(const std::string& text, MessageIcon, const ConversionNotes&) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
  bool Yield() override { return false; }
  FileSystem& Files() override { return files_; }
  bool completed = false;

 private:
  FileSystem& files_;
};

class Text {
 public:
  Text& operator<<(std::string_view part) {
    text_.append(part);
    return *this;
  }
  Text& Number(double value, int decimals) {
    char digits[64];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals).ptr;
    text_.append(digits, end);
    return *this;
  }
  Text& Integer(long value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text_.append(digits, end);
    return *this;
  }
  void Save(const std::string& path) const {
    std::ofstream(path, std::ios::binary).write(text_.data(), static_cast<std::streamsize>(text_.size()));
  }

 private:
  std::string text_;
};

// The most lines a device point file may have: tracks of 40 points, each
// followed by two waypoints.
void MakeDeviceFile(const std::string& path) {
  Text out;
  long group = 1;
  for (long line = 0; line < 32766; ++line) {
    const long in_cycle = line % 42;
    if (in_cycle == 0 || in_cycle >= 40) ++group;
    out.Number(47.0 + static_cast<double>(line) * 1e-5, 6) << ",";
    out.Number(-4.3 - static_cast<double>(line) * 1e-5, 6) << ",";
    out.Number(static_cast<double>(line % 300) / 10, 1) << ",\"Point ";
    out.Integer(line) << "\",";
    out.Integer(group) << "\r\n";
  }
  out.Save(path);
}

void MakeTrackFile(const std::string& path, long lines) {
  Text out;
  for (long i = 0; i < lines; ++i) {
    if (i % 1000 == 0) {
      out << "T;Trace ";
      out.Integer(i / 1000) << ";1;1\r\n";
      continue;
    }
    out << "P;";
    out.Number(-4.5 - static_cast<double>(i) * 1e-7, 15) << ";";
    out.Number(47.1 + static_cast<double>(i) * 1e-7, 15) << ";";
    out.Integer(i % 100) << ".50;-9999;29/02/2024 23:59:58\r\n";
  }
  out.Save(path);
}

struct WindowRun {
  double seconds = 0;
  double worst_gap_ms = 0;          // between ticks, leaving out output writes
  double worst_gap_overall_ms = 0;  // all gaps
  bool completed = false;
};

double Ms(Steady::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void SendClick(QWidget* widget) {
  const QPointF at(3, 3);
  QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &release);
}

WindowRun ConvertInWindow(Navy& navy, TimedFileSystem& files, const std::string& path) {
  WindowRun run;
  files.writes.clear();
  std::vector<Steady::time_point> ticks;
  QTimer timer;
  timer.setTimerType(Qt::PreciseTimer);
  timer.setInterval(10);
  QObject::connect(&timer, &QTimer::timeout, [&] { ticks.push_back(Steady::now()); });
  Steady::time_point start, end;
  const auto finished = QObject::connect(&navy, &Navy::conversionsFinished, [&] {
    end = Steady::now();
    QCoreApplication::exit(0);
  });

  QTimer::singleShot(0, &navy, [&] {
    // The window takes the drag; the drop counts over lblFichiers.
    QWidget* target = &navy;
    const QPoint at =
        navy.findChild<QWidget*>(QStringLiteral("lblFichiers"))->geometry().topLeft() + QPoint(10, 10);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    timer.start();
    ticks.push_back(Steady::now());
    start = Steady::now();
    QApplication::sendEvent(target, &drop);
    if (!drop.isAccepted()) {
      std::printf("the window refused the drop\n");
      QCoreApplication::exit(1);
    }
  });
  QCoreApplication::exec();
  QObject::disconnect(finished);
  timer.stop();

  run.seconds = Seconds(end - start).count();
  run.completed = navy.State() == NavyState::Done;
  for (std::size_t i = 1; i < ticks.size(); ++i) {
    const double gap = Ms(ticks[i] - ticks[i - 1]);
    run.worst_gap_overall_ms = std::max(run.worst_gap_overall_ms, gap);
    const bool during_write = std::any_of(files.writes.begin(), files.writes.end(), [&](const Interval& w) {
      return w.start < ticks[i] && w.end > ticks[i - 1];
    });
    if (!during_write) run.worst_gap_ms = std::max(run.worst_gap_ms, gap);
  }
  // The last stretch, from the last tick to the end, counts as a gap too.
  if (!ticks.empty() && end > ticks.back()) {
    const double tail = Ms(end - ticks.back());
    run.worst_gap_overall_ms = std::max(run.worst_gap_overall_ms, tail);
    const bool during_write = std::any_of(files.writes.begin(), files.writes.end(),
                                          [&](const Interval& w) { return w.end > ticks.back(); });
    if (!during_write) run.worst_gap_ms = std::max(run.worst_gap_ms, tail);
  }
  SendClick(navy.findChild<QWidget*>(QStringLiteral("cmdOK")));
  return run;
}

bool Report(const char* label, double alone, const WindowRun& window) {
  const double slowdown = window.seconds / alone;
  const bool fast = slowdown <= kMaxSlowdown;
  const bool lively = window.worst_gap_ms <= kMaxGapMs;
  std::printf("%s: alone %.3f s, in the window %.3f s = %.2fx (target <= %.1fx) %s\n", label, alone,
              window.seconds, slowdown, kMaxSlowdown, fast ? "ok" : "TOO SLOW");
  std::printf("%s: 10 ms timer, worst gap %.1f ms outside output writes (target <= %.0f ms) %s; %.1f ms overall\n",
              label, window.worst_gap_ms, kMaxGapMs, lively ? "ok" : "TOO LONG", window.worst_gap_overall_ms);
  return fast && lively && window.completed;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  application.setQuitOnLastWindowClosed(false);

  QTemporaryDir temporary(QDir::tempPath() + QStringLiteral("/tessaline-window-bench-XXXXXX"));
  const std::string folder = argc > 1 ? std::string(argv[1]) : temporary.path().toStdString();
  // Names apart: the device file's outputs must not replace the track file.
  const std::string device = folder + "/points.zbx";
  const std::string track = folder + "/long_TRK.txt";
  MakeDeviceFile(device);
  MakeTrackFile(track, 1'000'000);

  TimedFileSystem files;
  NullHost null_host(files);
  SystemClock clock;
  StagingLocation staging;
  staging.program_folder = folder;
  staging.cache_folder = folder + "/cache";

  auto best_alone = [&](auto convert) {
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i) {
      null_host.completed = false;
      const auto start = Steady::now();
      convert();
      best = std::min(best, Seconds(Steady::now() - start).count());
      if (!null_host.completed) std::printf("the conversion without a window failed\n");
    }
    return best;
  };
  DeviceToChartConverter alone_converter(null_host, RegionalSettings::C(), clock, staging);
  const double device_alone = best_alone([&] { alone_converter.ConvertDeviceToChart(device); });
  const double track_alone = best_alone([&] { ConvertChartToDevice(null_host, track); });

  NavyServices services;
  services.staging = staging;
  services.regional = RegionalSettings::C();
  services.files = &files;
  services.present_message = [](const std::string& text, MessageIcon, const std::string&) {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  };
  Navy navy(services);
  navy.Load();

  auto best_in_window = [&](const std::string& path) {
    WindowRun best;
    best.seconds = 1e9;
    best.worst_gap_ms = best.worst_gap_overall_ms = 1e9;
    best.completed = true;
    for (int i = 0; i < kRuns; ++i) {
      const WindowRun run = ConvertInWindow(navy, files, path);
      best.seconds = std::min(best.seconds, run.seconds);
      best.worst_gap_ms = std::min(best.worst_gap_ms, run.worst_gap_ms);
      best.worst_gap_overall_ms = std::min(best.worst_gap_overall_ms, run.worst_gap_overall_ms);
      best.completed = best.completed && run.completed;
    }
    return best;
  };
  const WindowRun device_window = best_in_window(device);
  SendClick(navy.findChild<QWidget*>(QStringLiteral("Label2")));
  const WindowRun track_window = best_in_window(track);

  bool ok = Report("device file, 32,766 lines", device_alone, device_window);
  ok = Report("track file, 1,000,000 lines", track_alone, track_window) && ok;
  return ok ? 0 : 1;
}
