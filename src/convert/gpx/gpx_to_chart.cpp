// GPX -> chart track and waypoint files: tracks and routes become T and P
// lines, waypoints W lines.

#include "convert/gpx/gpx_conversions.h"
#include "convert/gpx/gpx_job.h"
#include "convert/track_budget.h"
#include "formats/chart_line_writer.h"
#include "formats/device_point_line.h"
#include "formats/gpx/eight_bit_text.h"
#include "formats/gpx/gpx_reader.h"
#include "formats/time_stamp.h"
#include "platform/path_names.h"

namespace tessaline::gpx {

namespace {

class ChartSink final : public GpxSink {
 public:
  ChartSink(GpxJob& job, const RegionalSettings& regional, Clock& clock, TrackBudget budget,
            StreamedOutput& tracks, StreamedOutput& waypoints)
      : budget(std::move(budget)), tracks_(tracks), waypoints_(waypoints), job_(job), regional_(regional),
        clock_(clock) {}

  void BeginRun(RunKind kind, std::string_view name) override {
    waypoint_ = kind == RunKind::Waypoint;
    route_ = kind == RunKind::Route;
    header_pending_ = !waypoint_;
    run_name_ = name;
  }

  bool Point(const GpxPoint& point) override {
    lat_.clear();
    AppendCoordinateFromGpx(lat_, point.lat_text);
    lon_.clear();
    AppendCoordinateFromGpx(lon_, point.lon_text);
    const EightBitChanges before = changes_;
    value_.clear();
    AppendEightBit(value_, point.value, ';', changes_);
    fields_.clear();
    has_fields_ = waypoint_ && point.has_fields;
    if (has_fields_) AppendEightBitFields(fields_, point.fields, changes_);
    if (header_pending_ || waypoint_) {
      // A track is named after itself, else after its first point.
      name_.clear();
      AppendEightBit(name_, header_pending_ && !run_name_.empty() ? std::string_view(run_name_) : point.name,
                     ';', changes_);
    }
    job_.report.Warn(messages::kGpxCharacterReplaced, point.line, changes_.replaced - before.replaced);
    job_.report.Warn(messages::kGpxSeparatorReplaced, point.line, changes_.separators - before.separators);
    job_.ShowProgress(point.offset);
    job_.YieldOrStop();
    Append(point);
    return true;
  }

  void PointSkipped(std::uint64_t line) override { job_.report.Warn(messages::kGpxPointSkipped, line); }

  void EndRun(RunKind kind, std::uint64_t points) override {
    if (kind == RunKind::Waypoint) {
      ++job_.report.Summary().waypoints;
    } else {
      ++job_.report.Summary().tracks;
      job_.report.Summary().points += points;
    }
  }

  TrackBudget budget;

 private:
  void Append(const GpxPoint& point) {
    std::string& tracks = tracks_.text;
    if (header_pending_) {
      AppendTrackHeaderLine(tracks, TrimSpaces(name_));
      budget.StartTrack(point.line, route_);
      header_pending_ = false;
    }
    if (waypoint_) {
      AppendWaypointLine(waypoints_.text, TrimSpaces(name_), lon_, lat_, value_,
                         has_fields_ ? std::string_view(fields_) : kWaypointDisplayFields);
      budget.PointOfOtherFile();  // the budget bounds each file on its own
      waypoints_.Flow();
    } else {
      const std::size_t begin = tracks.size();
      AppendTrackPointLine(tracks, lon_, lat_, RegionalValue(), stamp_.Now());
      const bool read = budget.Recording();
      // A route's named points are marks, kept as waypoints are.
      budget.TrackPoint(begin, tracks.size(), read ? point.Lat() : 0.0, read ? point.Lon() : 0.0, point.line,
                        route_ && point.named);
      tracks_.Flow();
    }
  }

  // A track point's value in the regional notation, as the device-to-chart
  // conversion writes it: only the decimal mark changes, every digit is kept
  // ("4.5" is "4,5" under French settings). A value that is no plain decimal
  // is written as it is.
  std::string_view RegionalValue() {
    const std::size_t point = value_.find('.');
    if (point == std::string::npos || regional_.decimal_mark == "." || !ReadGpxDecimal(value_)) return value_;
    regional_value_ = value_;
    regional_value_.replace(point, 1, regional_.decimal_mark);
    return regional_value_;
  }

  StreamedOutput& tracks_;
  StreamedOutput& waypoints_;
  GpxJob& job_;
  const RegionalSettings& regional_;
  Clock& clock_;
  bool waypoint_ = false, route_ = false, header_pending_ = false, has_fields_ = false;
  std::string run_name_, name_, value_, fields_, regional_value_, lat_, lon_;
  StampOfNow stamp_{clock_, regional_};
  EightBitChanges changes_;
};

}  // namespace

ConversionOutcome ConvertGpxToChart(Host& host, const std::string& path, const RegionalSettings& regional,
                                    Clock& clock, const PointBudget& budget) {
  GpxJob job(host, path);
  return job.Run([&] {
    const std::string base = GpxBaseName(path);
    const std::string track_path = base + "_TRK.txt";
    const std::string waypoint_path = base + "_WPT.txt";
    job.Begin({track_path, waypoint_path});
    auto input = job.OpenInput();
    TrackBudget track_budget(budget);
    track_budget.ExpectAtMost(job.InputLength() / kLeastGpxPointBytes);
    // Only files whose tracks a reduction may cut are kept whole; any others
    // go to their temporary files as they are made.
    const bool streaming = !track_budget.Recording();
    StreamedOutput tracks(host.Files(), track_path, streaming, job.InputReaders()),
        waypoints(host.Files(), waypoint_path, streaming, job.InputReaders());
    ChartSink sink(job, regional, clock, std::move(track_budget), tracks, waypoints);
    ThrowUnlessFinished(ReadGpx(*input, sink), path, host.Files());
    sink.budget.Fit(tracks.text, [&host] { YieldOrStop(host); });
    sink.budget.Report(job.report);
    job.FinishStreamed({&tracks, &waypoints});
  });
}

}  // namespace tessaline::gpx
