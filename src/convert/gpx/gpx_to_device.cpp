// GPX -> device point file: one line per point, runs numbered in Group.

#include <algorithm>
#include <charconv>

#include "convert/gpx/gpx_conversions.h"
#include "convert/gpx/gpx_job.h"
#include "convert/track_budget.h"
#include "formats/device_line_writer.h"
#include "formats/gpx/eight_bit_text.h"
#include "formats/gpx/gpx_reader.h"
#include "platform/path_names.h"

namespace tessaline::gpx {

namespace {

class DeviceSink final : public GpxSink {
 public:
  DeviceSink(GpxJob& job, PointBudget budget) : budget(std::move(budget)), job_(job) {}

  void BeginRun(RunKind kind, std::string_view) override {
    track_ = kind != RunKind::Waypoint;
    run_started_ = false;
    ++runs_;
    const auto end = std::to_chars(group_, group_ + sizeof group_, GroupOfRun(runs_)).ptr;
    group_size_ = static_cast<std::size_t>(end - group_);
  }

  bool Point(const GpxPoint& point) override {
    const EightBitChanges before = changes_;
    name_.clear();
    AppendEightBit(name_, point.name, ',', changes_);
    value_.clear();
    AppendEightBit(value_, point.value, ',', changes_);
    job_.report.Warn(messages::kGpxCharacterReplaced, point.line, changes_.replaced - before.replaced);
    job_.report.Warn(messages::kGpxSeparatorReplaced, point.line, changes_.separators - before.separators);
    lat_.clear();
    AppendCoordinateFromGpx(lat_, point.lat_text, point.lat);
    lon_.clear();
    AppendCoordinateFromGpx(lon_, point.lon_text, point.lon);
    const std::size_t begin = output.size();
    AppendDeviceLineWithGroup(output, DevicePointTexts{lat_, lon_, value_, name_},
                              std::string_view(group_, group_size_));
    if (track_) {
      if (!run_started_) budget.StartTrack(point.line);
      run_started_ = true;
      budget.TrackPoint(begin, output.size(), point.lat, point.lon, point.line);
    } else {
      budget.OtherPoint(point.line);
    }
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

  std::string output;
  TrackBudget budget;

 private:
  GpxJob& job_;
  bool track_ = false, run_started_ = false;
  std::uint64_t runs_ = 0, last_line_ = 0;
  char group_[8] = {};
  std::size_t group_size_ = 0;
  std::string name_, value_, lat_, lon_;
  EightBitChanges changes_;
};

}  // namespace

ConversionOutcome ConvertGpxToDevice(Host& host, const std::string& path, const PointBudget& budget) {
  GpxJob job(host, path);
  return job.Run([&] {
    const std::string output_path = GpxBaseName(path) + ".asc";
    job.Begin({output_path});
    auto input = job.OpenInput();
    DeviceSink sink(job, budget);
    sink.budget.ExpectAtMost(job.InputLength() / kLeastGpxPointBytes);
    // A device line is shorter than the GPX of its point: the input's size
    // is room enough, asked once (only the pages written are used).
    sink.output.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(job.InputLength(), std::uint64_t{4} << 30)));
    ThrowUnlessFinished(ReadGpx(*input, sink), path, host.Files());
    sink.budget.Fit(sink.output);
    sink.budget.Report(job.report);
    // A budget chosen above the device's limit: say where the lines it
    // cannot read begin.
    sink.budget.WarnPastDeviceLimit(job.report);
    job.Finish({{output_path, {sink.output}}});
  });
}

}  // namespace tessaline::gpx
