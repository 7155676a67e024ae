// GPX -> device point file: one line per point, runs numbered in Group.

#include <algorithm>
#include <charconv>

#include "convert/gpx/gpx_conversions.h"
#include "convert/gpx/gpx_job.h"
#include "convert/track_budget.h"
#include "formats/gpx/eight_bit_text.h"
#include "formats/gpx/gpx_reader.h"
#include "platform/path_names.h"

namespace tessaline::gpx {

namespace {

class DeviceSink final : public GpxSink {
 public:
  DeviceSink(GpxJob& job, TrackBudget budget, StreamedOutput& output)
      : budget(std::move(budget)), job_(job), output_(output) {}

  void BeginRun(RunKind kind, std::string_view) override {
    track_ = kind != RunKind::Waypoint;
    route_ = kind == RunKind::Route;
    run_started_ = false;
    ++runs_;
    const auto end = std::to_chars(group_, group_ + sizeof group_, GroupOfRun(runs_)).ptr;
    group_size_ = static_cast<std::size_t>(end - group_);
  }

  bool Point(const GpxPoint& point) override {
    const EightBitChanges before = changes_;
    // The line AppendDeviceLineWithGroup writes, made in place for every
    // point rather than copied from four texts of its own. Its one change
    // of a text, a "," in Value made ".", never applies: AppendEightBit
    // has made every "," a space.
    std::string& text = output_.text;
    const std::size_t begin = text.size();
    AppendCoordinateFromGpx(text, point.lat_text);
    text += ',';
    AppendCoordinateFromGpx(text, point.lon_text);
    text += ',';
    AppendEightBit(text, point.value, ',', changes_);
    text += ",\"";
    AppendEightBit(text, point.name, ',', changes_);
    text += "\",";
    text.append(group_, group_size_);
    text += "\r\n";
    if (changes_.replaced != before.replaced || changes_.separators != before.separators) {
      job_.report.Warn(messages::kGpxCharacterReplaced, point.line, changes_.replaced - before.replaced);
      job_.report.Warn(messages::kGpxSeparatorReplaced, point.line, changes_.separators - before.separators);
    }
    if (track_) {
      if (!run_started_) budget.StartTrack(point.line, route_);
      run_started_ = true;
      const bool read = budget.Recording();
      // A route's named points are marks, kept as waypoints are.
      budget.TrackPoint(begin, text.size(), read ? point.Lat() : 0.0, read ? point.Lon() : 0.0, point.line,
                        route_ && point.named);
    } else {
      budget.OtherPoint(point.line);
    }
    output_.Flow();
    last_line_ = point.line;
    job_.ShowProgress(point.offset);
    job_.YieldOrStop();
    return true;
  }

  void PointSkipped(std::uint64_t line) override { job_.report.Warn(messages::kGpxPointSkipped, line); }

  void EndRun(RunKind kind, std::uint64_t points) override {
    if (points > 1) {
      ++job_.report.Summary().tracks;
      job_.report.Summary().points += points;
      return;
    }
    ++job_.report.Summary().waypoints;
    if (kind != RunKind::Waypoint) job_.report.Warn(messages::kGpxOnePointTrack, last_line_);
  }

  TrackBudget budget;

 private:
  GpxJob& job_;
  StreamedOutput& output_;
  bool track_ = false, route_ = false, run_started_ = false;
  std::uint64_t runs_ = 0, last_line_ = 0;
  char group_[8] = {};
  std::size_t group_size_ = 0;
  EightBitChanges changes_;
};

}  // namespace

ConversionOutcome ConvertGpxToDevice(Host& host, const std::string& path, const PointBudget& budget) {
  GpxJob job(host, path);
  return job.Run([&] {
    const std::string output_path = GpxBaseName(path) + ".asc";
    job.Begin({output_path});
    auto input = job.OpenInput();
    TrackBudget track_budget(budget);
    track_budget.ExpectAtMost(job.InputLength() / kLeastGpxPointBytes);
    // Only an output that a reduction may cut is kept whole; any other goes
    // to its temporary file as it is made.
    const bool streaming = !track_budget.Recording();
    StreamedOutput output(host.Files(), output_path, streaming, job.InputReaders());
    // A device line is shorter than the GPX of its point: the input's size
    // is room enough for a whole output, asked once (only the pages written
    // are used).
    output.text.reserve(static_cast<std::size_t>(
        streaming ? StreamedOutput::kBlock + 4096 : std::min<std::uint64_t>(job.InputLength(), std::uint64_t{4} << 30)));
    DeviceSink sink(job, std::move(track_budget), output);
    ThrowUnlessFinished(ReadGpx(*input, sink), path, host.Files());
    sink.budget.Fit(output.text, [&host] { YieldOrStop(host); });
    sink.budget.Report(job.report);
    // A budget chosen above the device's limit: say where the lines it
    // cannot read begin.
    sink.budget.WarnPastDeviceLimit(job.report);
    job.FinishStreamed({&output});
  });
}

}  // namespace tessaline::gpx
