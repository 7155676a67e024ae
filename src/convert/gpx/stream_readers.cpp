#include "convert/gpx/stream_readers.h"

#include <optional>
#include <string>

#include "convert/conversion_failure.h"
#include "convert/input_text.h"
#include "formats/chart_line_reader.h"
#include "formats/chart_line_writer.h"
#include "formats/device_point_line.h"
#include "formats/gpx/gpx_reader.h"
#include "formats/kml/kml_reader.h"
#include "formats/kml/kmz_archive.h"
#include "formats/number_reader.h"

namespace tessaline::gpx {

namespace {

// A point as a device or chart line gives it, held while its run is not
// known yet; lat and lon already checked.
struct HeldPoint {
  std::string lat, lon;
  double lat_value = 0, lon_value = 0;  // what they read as, when numbers are asked
  std::string name, value, fields;      // 8-bit
  bool has_fields = false;
  std::uint64_t line = 0, offset = 0;

  // Its view in the stream, made in `point`: one kept for every point,
  // since clearing a new one each time costs more than a short line.
  const StreamPoint& View(StreamPoint& point, bool numbers) const {
    point.lat_text = lat;
    point.lon_text = lon;
    point.lat_number = lat_value;
    point.lon_number = lon_value;
    point.has_numbers = numbers;
    point.name = name;
    point.value = value;
    point.fields = fields;
    point.has_fields = has_fields;
    point.line = line;
    point.offset = offset;
    return point;
  }
  const StreamPoint& View(bool numbers) const { return View(view_, numbers); }
  mutable StreamPoint view_;
};

// Both coordinates of a device or chart line, or false (a warning given).
bool ReadCoordinates(GpxJob& job, std::string_view coord1, std::string_view coord2, HeldPoint& point,
                     bool numbers, std::uint64_t line) {
  if (!GpxCoordinate(coord1, true, point.lat, numbers ? &point.lat_value : nullptr) ||
      !GpxCoordinate(coord2, false, point.lon, numbers ? &point.lon_value : nullptr)) {
    job.report.Warn(messages::kGpxPointSkipped, line);
    return false;
  }
  return true;
}

// Runs of equal Group: the first point is held until the second tells a
// track from a waypoint.
class DeviceRuns {
 public:
  DeviceRuns(PointSink& sink, bool numbers) : sink_(sink), numbers_(numbers) {}

  bool Add(HeldPoint& point, double group) {
    if (length_ > 0 && group == group_) {
      if (length_ == 1) {
        sink_.BeginRun(RunKind::Track, TrimSpaces(first_.name));
        if (!sink_.Point(first_.View(numbers_))) return false;
      }
      ++length_;
      return sink_.Point(point.View(numbers_));
    }
    if (!End()) return false;
    std::swap(first_, point);
    group_ = group;
    length_ = 1;
    return true;
  }

  bool End() {
    const std::uint64_t length = length_;
    length_ = 0;
    if (length == 1) {
      sink_.BeginRun(RunKind::Waypoint, first_.name);
      if (!sink_.Point(first_.View(numbers_))) return false;
      sink_.EndRun(RunKind::Waypoint, 1);
    } else if (length > 1) {
      sink_.EndRun(RunKind::Track, length);
    }
    return true;
  }

 private:
  PointSink& sink_;
  bool numbers_;
  HeldPoint first_;
  double group_ = 0;
  std::uint64_t length_ = 0;
};

// The GPX reader's points, with the panel's percentage and its yields.
class GpxProgress final : public PointSink {
 public:
  GpxProgress(GpxJob& job, PointSink& sink) : job_(job), sink_(sink) {}
  void BeginRun(RunKind kind, std::string_view name) override { sink_.BeginRun(kind, name); }
  bool Point(const StreamPoint& point) override {
    job_.ShowProgress(point.offset);
    job_.YieldOrStop();
    return sink_.Point(point);
  }
  void EndRun(RunKind kind, std::uint64_t points) override { sink_.EndRun(kind, points); }
  void PointSkipped(std::uint64_t line) override {
    job_.report.Warn(messages::kGpxPointSkipped, line);
    sink_.PointSkipped(line);
  }
  void NotCarried(std::string_view element, std::uint64_t line) override { sink_.NotCarried(element, line); }

 private:
  GpxJob& job_;
  PointSink& sink_;
};

// What a KML document holds that no point file can, told once per kind.
class KmlReport final : public kml::KmlNotes {
 public:
  explicit KmlReport(ConversionReport& report) : report_(report) {}
  void Unsupported(std::string_view element, std::uint64_t line) override {
    report_.Warn(messages::KmlNotCarriedKind(element), line);
  }
  void CoordWithoutTime(std::uint64_t line) override { report_.Warn(messages::kKmlCoordWithoutTime, line); }

 private:
  ConversionReport& report_;
};

// The bytes read to tell a zip archive, then the rest of the stream.
class ReplayedStream final : public InputStream {
 public:
  ReplayedStream(std::string head, InputStream& rest) : head_(std::move(head)), rest_(rest) {}
  std::ptrdiff_t Read(char* buffer, std::size_t size) override {
    if (at_ == head_.size()) return rest_.Read(buffer, size);
    const std::size_t n = std::min(size, head_.size() - at_);
    head_.copy(buffer, n, at_);
    at_ += n;
    return static_cast<std::ptrdiff_t>(n);
  }

 private:
  std::string head_;
  std::size_t at_ = 0;
  InputStream& rest_;
};

// A KMZ entry's points, their offsets made the archive's, for the panel.
class ArchiveOffsets final : public PointSink {
 public:
  ArchiveOffsets(PointSink& sink, std::uint64_t archive, std::uint64_t entry)
      : sink_(sink), archive_(archive), entry_(std::max<std::uint64_t>(entry, 1)) {}
  void BeginRun(RunKind kind, std::string_view name) override { sink_.BeginRun(kind, name); }
  bool Point(const StreamPoint& point) override {
    StreamPoint scaled = point;
    scaled.offset = static_cast<std::uint64_t>(static_cast<double>(point.offset) * static_cast<double>(archive_) /
                                               static_cast<double>(entry_));
    return sink_.Point(scaled);
  }
  void EndRun(RunKind kind, std::uint64_t points) override { sink_.EndRun(kind, points); }
  void PointSkipped(std::uint64_t line) override { sink_.PointSkipped(line); }
  void NotCarried(std::string_view element, std::uint64_t line) override { sink_.NotCarried(element, line); }

 private:
  PointSink& sink_;
  std::uint64_t archive_, entry_;
};

}  // namespace

bool ReadDeviceFile(GpxJob& job, InputStream& input, PointSink& sink, bool numbers, bool eight_bit) {
  DeviceRuns runs(sink, numbers);
  InputText reader(input, job.report.Path(), job.Files(), eight_bit, &job.report);
  std::string_view line;
  std::uint64_t line_number = 0, points = 0, empty_lines = 0, first_empty_line = 0;
  HeldPoint point;
  while (reader.Next(line)) {
    ++line_number;
    job.ShowProgress(reader.InputOffset());
    job.YieldOrStop();
    DevicePointFields fields;
    if (line.empty()) {
      if (empty_lines++ == 0) first_empty_line = line_number;
      continue;
    }
    const std::optional<double> group =
        ReadDevicePointLine(line, fields) == DeviceLineProblem::None ? ReadAsNumber(TrimSpaces(fields.group))
                                                                       : std::nullopt;
    if (!group) {
      job.report.Warn(messages::kGpxLineSkipped, line_number);
      continue;
    }
    if (!ReadCoordinates(job, fields.coord1, fields.coord2, point, numbers, line_number)) continue;
    point.name.assign(fields.name);
    point.value.assign(fields.value);
    point.line = line_number;
    point.offset = reader.InputOffset();
    ++points;
    if (!runs.Add(point, *group)) return false;
  }
  // Every other line that gave nothing is warned of already.
  if (points == 0) job.report.Warn(messages::kGpxLineSkipped, first_empty_line, empty_lines);
  return runs.End();
}

bool ReadChartFile(GpxJob& job, InputStream& input, PointSink& sink, bool numbers, bool eight_bit) {
  InputText reader(input, job.report.Path(), job.Files(), eight_bit, &job.report);
  std::string_view text;
  std::uint64_t line_number = 0, points = 0, silent_lines = 0, first_silent_line = 0;
  std::string track_name;
  bool in_track = false;
  std::uint64_t track_points = 0;  // of the current track, told to the sink
  bool name_is_track = false;  // point.name holds track_name
  HeldPoint point;
  auto end_track = [&] {
    if (track_points > 0) sink.EndRun(RunKind::Track, track_points);
    track_points = 0;
  };
  while (reader.Next(text)) {
    ++line_number;
    job.ShowProgress(reader.InputOffset());
    job.YieldOrStop();
    const ChartLineKind kind = KindOfChartLine(text);
    if (kind == ChartLineKind::Other) {
      if (silent_lines++ == 0) first_silent_line = line_number;
      continue;
    }
    // A P line gives fields 1 to 3; the split stops there.
    const ChartLine line = kind == ChartLineKind::TrackPoint ? ChartLine::UpToField(text, 3) : ChartLine(text);
    if (kind == ChartLineKind::TrackHeader) {
      // A track without points is left out, as reading GPX skips one.
      end_track();
      track_name.assign(line.Field(1));
      name_is_track = false;
      in_track = true;
      continue;
    }
    const bool waypoint = kind == ChartLineKind::Waypoint;
    // Coord1, Coord2, Value: fields 2, 1, 3 of a P line, 4, 3, 5 of a W line.
    const std::size_t first = waypoint ? 3 : 1;
    if ((!waypoint && !in_track) || !line.Has(first + 2)) {
      job.report.Warn(messages::kGpxLineSkipped, line_number);
      continue;
    }
    if (!ReadCoordinates(job, line.Field(first + 1), line.Field(first), point, numbers, line_number)) continue;
    point.value.assign(line.Field(first + 2));
    point.line = line_number;
    point.offset = reader.InputOffset();
    ++points;
    if (waypoint) {
      // Between the points of a track, a waypoint leaves the track open.
      point.name.assign(line.Field(1));
      name_is_track = false;
      point.fields.assign(WaypointFieldTwo(text));
      point.fields.append(WaypointFieldsFromEight(text));
      point.has_fields = point.fields != kWaypointDisplayFields;
      sink.BeginRun(RunKind::Waypoint, point.name);
      if (!sink.Point(point.View(numbers))) return false;
      sink.EndRun(RunKind::Waypoint, 1);
      point.fields.clear();
      point.has_fields = false;
      continue;
    }
    if (track_points == 0) sink.BeginRun(RunKind::Track, track_name);
    if (!name_is_track) {  // a track's points share its name: copied once
      point.name = track_name;
      name_is_track = true;
    }
    ++track_points;
    if (!sink.Point(point.View(numbers))) return false;
  }
  // Every other line that gave nothing is warned of already.
  if (points == 0) job.report.Warn(messages::kGpxLineSkipped, first_silent_line, silent_lines);
  end_track();
  return true;
}

bool ReadGpxFile(GpxJob& job, InputStream& input, PointSink& sink) {
  GpxProgress progress(job, sink);
  const GpxReadResult read = ReadGpx(input, progress);
  if (read.end == GpxReadEnd::Stopped) return false;  // by the sink: a stop request is thrown
  ThrowUnlessFinished(read, job.report.Path(), job.Files());
  return true;
}

bool ReadKmlFile(GpxJob& job, InputStream& input, PointSink& sink) {
  GpxProgress progress(job, sink);
  KmlReport notes(job.report);
  std::string head(4, '\0');
  std::size_t got = 0;
  while (got < head.size()) {
    const std::ptrdiff_t n = input.Read(head.data() + got, head.size() - got);
    if (n < 0) throw ConversionFailure::FileOperation(job.report.Path(), job.Files());
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  head.resize(got);
  if (!kml::StartsAsZip(head)) {
    ReplayedStream document(head, input);
    const GpxReadResult read = kml::ReadKml(document, progress, notes);
    if (read.end == GpxReadEnd::Stopped) return false;  // by the sink: a stop request is thrown
    ThrowUnlessFinished(read, job.report.Path(), job.Files());
    return true;
  }
  // A KMZ archive: the file is opened again wherever the zip's reading
  // goes back; what the first stream holds is checked as every input is.
  const std::string path = job.report.Path();
  FileSystem& files = job.Files();
  kml::KmzReader archive(
      [&files, &path]() -> std::unique_ptr<InputStream> {
        auto again = files.OpenRead(path);
        return again ? std::move(*again) : nullptr;
      },
      job.InputLength());
  const std::string refused = archive.Open();
  if (!refused.empty()) throw ConversionFailure(refused);
  ArchiveOffsets offsets(progress, job.InputLength(), archive.EntrySize());
  const GpxReadResult read = kml::ReadKml(archive.Entry(), offsets, notes);
  if (!archive.Fault().empty()) throw ConversionFailure(archive.Fault());
  if (read.end == GpxReadEnd::Stopped) return false;
  if (read.end == GpxReadEnd::Refused) throw ConversionFailure(read.reason);
  const std::string damaged = archive.Close();
  if (!damaged.empty()) throw ConversionFailure(damaged);
  // The stream the road opened is read to its end, so that its checks of
  // the input (its length, its identity) are made.
  char rest[4096];
  while (input.Read(rest, sizeof rest) > 0) {
  }
  return true;
}

}  // namespace tessaline::gpx
