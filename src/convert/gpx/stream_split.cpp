#include "convert/gpx/stream_split.h"

#include <optional>
#include <vector>

#include "convert/split_parts.h"

namespace tessaline::gpx {

namespace {

// A point kept past the call that handed it over: the last one written,
// which the next part may start with.
struct KeptPoint {
  StreamPoint point;
  std::string lat, lon, name, value, elevation, fields;

  void Keep(const StreamPoint& from) {
    point = from;
    lat.assign(from.lat_text);
    lon.assign(from.lon_text);
    name.assign(from.name);
    value.assign(from.value);
    fields.assign(from.fields);
    point.lat_text = lat;
    point.lon_text = lon;
    point.name = name;
    point.value = value;
    point.fields = fields;
    if (from.elevation) {
      elevation.assign(*from.elevation);
      point.elevation = elevation;
    }
  }
};

// One part: its output and the writer of its format.
struct Part {
  std::unique_ptr<FitOutput> output;
  std::unique_ptr<StreamWriter> writer;
};

// Between the reader and the parts' writers. First reading: every point is
// counted, the waypoints written to the first part. Second reading
// (Tracks()): the tracks and routes go to the parts PartCutter chooses.
class PartedSink final : public PointSink {
 public:
  PartedSink(GpxJob& job, const PartedRoad& road, ConversionReport& written)
      : job_(job), road_(road), written_(written) {
    Open();
  }

  std::uint64_t Points() const { return points_; }

  // The second reading begins: the waypoints are in, their count known.
  void Tracks(std::uint64_t budget) {
    cutter_.emplace(budget, waypoints_);
    tracks_ = true;
  }

  void BeginRun(RunKind kind, std::string_view name) override {
    if (kind == RunKind::Waypoint) {
      // A waypoint of a chart file may come between a track's points: the
      // track goes on after it.
      in_waypoint_ = true;
      if (!tracks_) Writer().BeginRun(kind, name);
      return;
    }
    if (!tracks_) return;
    kind_ = kind;
    name_.assign(name);
    run_points_ = 0;
  }

  bool Point(const StreamPoint& point) override {
    if (!tracks_) {
      ++points_;
      if (!in_waypoint_) return true;
      ++waypoints_;
      return Writer().Point(point);
    }
    if (in_waypoint_) return true;
    const PartCutter::Place place = cutter_->TrackPoint(run_points_++ == 0);
    if (place != PartCutter::Place::Here) {
      EndPiece();
      Close();
      Open();
    }
    if (piece_points_ == 0) Writer().BeginRun(kind_, name_);
    if (place == PartCutter::Place::NewPartOverlap) {
      // Written again, told once.
      std::vector<Warning> warnings = written_.Warnings();
      Writer().Point(last_.point);
      written_.SetWarnings(std::move(warnings));
      ++piece_points_;
    }
    ++piece_points_;
    last_.Keep(point);
    return Writer().Point(point);
  }

  void EndRun(RunKind kind, std::uint64_t points) override {
    if (kind == RunKind::Waypoint) {
      in_waypoint_ = false;
      if (!tracks_) Writer().EndRun(kind, points);
    } else if (tracks_) {
      EndPiece();
    }
  }

  void PointSkipped(std::uint64_t) override {}

  void NotCarried(std::string_view element, std::uint64_t line) override {
    if (tracks_) Writer().NotCarried(element, line);
  }

  // After the second reading: the last part ended, every part's output.
  std::vector<StreamedOutput*> Finish() {
    EndPiece();
    Close();
    std::vector<StreamedOutput*> outputs;
    for (const Part& part : parts_) outputs.push_back(part.output->Outputs().front());
    return outputs;
  }

  std::size_t Parts() const { return parts_.size(); }
  std::uint64_t Overlaps() const { return cutter_ ? cutter_->Overlaps() : 0; }

 private:
  StreamWriter& Writer() { return *parts_.back().writer; }

  void Open() {
    FitPlan plan = road_.plan;
    plan.paths = {PartPath(road_.output, parts_.size() + 1)};
    plan.gather = false;
    // No budget of its own: a part is never fitted, only streamed.
    auto output = std::make_unique<FitOutput>(job_.Files(), PointBudget{}, std::move(plan));
    auto writer = road_.make(WriterContext{written_, *output, road_.form, road_.regional, road_.clock});
    parts_.push_back(Part{std::move(output), std::move(writer)});
  }

  // The part is complete: its document closed, its text on its way to the
  // disk, its memory given back.
  void Close() {
    Part& part = parts_.back();
    part.writer->End();
    part.output->Fit(written_, {});
    part.writer->Fitted();
    part.output->Outputs().front()->Settle();
  }

  void EndPiece() {
    if (piece_points_ > 0) Writer().EndRun(kind_, piece_points_);
    piece_points_ = 0;
  }

  GpxJob& job_;
  const PartedRoad& road_;
  ConversionReport& written_;  // what the writers tell
  std::vector<Part> parts_;
  std::optional<PartCutter> cutter_;
  bool tracks_ = false, in_waypoint_ = false;
  std::uint64_t points_ = 0, waypoints_ = 0;
  RunKind kind_ = RunKind::Track;
  std::string name_;
  std::uint64_t run_points_ = 0, piece_points_ = 0;
  KeptPoint last_;
};

}  // namespace

bool ConvertStreamInParts(GpxJob& job, const PartedRoad& road, std::uint64_t budget,
                          std::vector<std::string>* written_paths) {
  ConversionReport written(job.report.Path());
  PartedSink parts(job, road, written);
  road.read(job, *job.OpenInput(), parts, false, road.eight_bit);
  if (parts.Points() <= budget) {
    job.report = ConversionReport(job.report.Path());
    return false;
  }
  // The reader tells its notes again on its second reading.
  job.report = ConversionReport(job.report.Path());
  parts.Tracks(budget);
  road.read(job, *job.OpenInput(), parts, false, road.eight_bit);
  const std::vector<StreamedOutput*> outputs = parts.Finish();

  // Each track in several pieces was counted once a piece, its points
  // written twice once each time.
  ConversionSummary summary = written.Summary();
  summary.tracks -= parts.Overlaps();
  summary.points -= parts.Overlaps();
  summary.reader_note = job.report.Summary().reader_note;  // what the reader passed over
  job.report.SetSummary(summary);
  for (const Warning& warning : written.Warnings()) {
    job.report.Warn(*warning.kind, warning.first_line, warning.count, warning.detail);
  }
  ReportParts(job.Files(), road.output, parts.Parts(), job.report);
  job.FinishStreamed(outputs);
  if (written_paths != nullptr) {
    for (const StreamedOutput* part : outputs) written_paths->push_back(part->Path());
  }
  return true;
}

}  // namespace tessaline::gpx
