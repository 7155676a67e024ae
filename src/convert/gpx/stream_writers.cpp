#include "convert/gpx/stream_writers.h"

#include <charconv>

#include "convert/conversion_failure.h"
#include "convert/messages.h"
#include "formats/chart_line_writer.h"
#include "formats/device_point_line.h"
#include "formats/gpx/eight_bit_text.h"
#include "formats/gpx/gpx_model.h"
#include "formats/gpx/gpx_time.h"
#include "formats/gpx/gpx_writer.h"
#include "formats/kml/kml_writer.h"
#include "formats/kml/kmz_archive.h"
#include "formats/time_stamp.h"
#include "product.h"

namespace tessaline::gpx {

namespace {

// Device and chart files hold no time of a point: a P line's stamp is when
// it was written.
void WarnTimeLost(ConversionReport& report, const StreamPoint& point) {
  if (point.time || point.time_note == TimeNote::Unreadable) report.Warn(messages::kTimeLost, point.line);
}

// A point's time as xsd:dateTime, made in `room` ("" when it has none);
// what its reading noted about it is warned of.
std::string_view TimeText(ConversionReport& report, const StreamPoint& point, std::string& room) {
  if (point.time_note == TimeNote::NoZone) report.Warn(messages::kGpxTimeWithoutZone, point.line);
  if (point.time_note == TimeNote::Unreadable) report.Warn(messages::kGpxTimeUnreadable, point.line);
  if (!point.time) return {};
  room.clear();
  AppendGpxTime(room, *point.time);
  return room;
}

// The control characters an XML writer left out since `told`, warned of.
void WarnDropped(ConversionReport& report, std::uint64_t dropped, std::uint64_t& told, std::uint64_t line) {
  if (dropped == told) return;  // the usual point
  report.Warn(messages::kGpxControlDropped, line, dropped - told);
  told = dropped;
}

// GPX wants every waypoint first: streamed, they go to the document as they
// come, until the first track; gathered, they go before the tracks once
// every point is known.
class GpxFileWriter final : public StreamWriter {
 public:
  explicit GpxFileWriter(const WriterContext& context)
      : report_(context.report), out_(context.output), eight_bit_(context.form == TextForm::EightBit) {
    GpxWriter::AppendHead(out_.Streaming() ? out_.Text(0) : out_.Lead(0), TESSALINE_TITLE);
  }

  void BeginRun(RunKind kind, std::string_view name) override {
    if (kind == RunKind::Waypoint) {
      in_waypoint_ = true;
      return;
    }
    EndOpenRun();
    kind_ = kind;
    run_name_.assign(name);
    start_pending_ = true;
  }

  bool Point(const StreamPoint& point) override {
    if (in_waypoint_) {
      if (out_.Streaming() && runs_written_) {
        refused_ = true;
        return false;
      }
      writer_.AppendWaypoint(out_.Streaming() ? out_.Text(0) : out_.Lead(0), Out(point));
      out_.OtherPoint(point.line);
      NoteDropped(point.line);
      ++report_.Summary().waypoints;
      out_.Flow(0);
      return true;
    }
    std::string& text = out_.Text(0);
    if (start_pending_) {
      writer_.AppendRunStart(text, kind_, eight_bit_ ? EightBitToUtf8(run_name_) : run_name_);
      runs_written_ = true;
      start_pending_ = false;
      in_run_ = true;
      out_.StartTrack(point.line, kind_ == RunKind::Route);
      NoteDropped(point.line);
      ++report_.Summary().tracks;
    }
    const std::size_t begin = text.size();
    writer_.AppendRunPoint(text, kind_, Out(point));
    // A route's named points are marks, kept as waypoints are.
    out_.TrackPoint(begin, point, kind_ == RunKind::Route && point.named);
    NoteDropped(point.line);
    ++report_.Summary().points;
    out_.Flow(0);
    return true;
  }

  void EndRun(RunKind kind, std::uint64_t) override {
    if (kind == RunKind::Waypoint) {
      in_waypoint_ = false;
    } else {
      EndOpenRun();
    }
  }

  void End() override {
    EndOpenRun();
    GpxWriter::AppendTail(out_.Text(0));
  }

  bool WantsGathering() const override { return refused_; }

  void NotCarried(std::string_view element, std::uint64_t line) override {
    report_.Warn(messages::NotCarriedKind(element), line);
  }

 private:
  void EndOpenRun() {
    if (in_run_) GpxWriter::AppendRunEnd(out_.Text(0), kind_);
    in_run_ = false;
    start_pending_ = false;
  }

  GpxOutPoint Out(const StreamPoint& point) {
    GpxOutPoint out;
    out.lat = point.lat_text;
    out.lon = point.lon_text;
    out.name = point.name;
    out.value = point.value;
    out.fields = point.fields;
    out.has_fields = point.has_fields;
    if (eight_bit_) {
      // Texts that need no change (the usual ASCII ones) are used in place.
      out.name = EightBitAsUtf8(point.name, name_);
      out.value = EightBitAsUtf8(TrimSpaces(point.value), value_);
      out.fields = EightBitAsUtf8(point.fields, fields_);
      return out;
    }
    // Read from GPX: what reads back the same is left as it was.
    out.has_name = point.own_name;
    out.has_value = point.own_value;
    if (point.elevation) out.elevation = *point.elevation;
    out.time = TimeText(report_, point, time_);
    return out;
  }

  void NoteDropped(std::uint64_t line) { WarnDropped(report_, writer_.dropped_controls(), dropped_, line); }

  ConversionReport& report_;
  FitOutput& out_;
  bool eight_bit_;
  GpxWriter writer_;
  RunKind kind_ = RunKind::Track;
  std::string run_name_;
  std::string name_, value_, fields_;  // room for the UTF-8 of texts that need a change
  std::string time_;                   // of the point being written
  std::uint64_t dropped_ = 0;
  bool in_waypoint_ = false, start_pending_ = false, in_run_ = false;
  bool runs_written_ = false, refused_ = false;
};

// Device lines: Coord1, Coord2, Value, "Name", Group; runs numbered in Group.
class DeviceFileWriter final : public StreamWriter {
 public:
  explicit DeviceFileWriter(const WriterContext& context)
      : report_(context.report), out_(context.output), eight_bit_(context.form == TextForm::EightBit) {}

  void BeginRun(RunKind kind, std::string_view) override {
    track_ = kind != RunKind::Waypoint;
    route_ = kind == RunKind::Route;
    run_started_ = false;
    ++runs_;
    const auto end = std::to_chars(group_, group_ + sizeof group_, GroupOfRun(runs_)).ptr;
    group_size_ = static_cast<std::size_t>(end - group_);
  }

  bool Point(const StreamPoint& point) override {
    const EightBitChanges before = changes_;
    // The line AppendDeviceLineWithGroup writes, made in place for every
    // point rather than copied from four texts of its own. Its one change
    // of a text, a "," in Value made ".", never applies to UTF-8 texts:
    // AppendEightBit has made every "," a space.
    std::string& text = out_.Text(0);
    const std::size_t begin = text.size();
    if (eight_bit_) {
      // A device or chart file's texts, copied as they are.
      text.append(point.lat_text);
      text += ',';
      text.append(point.lon_text);
      text += ',';
      text.append(point.value);
      text += ",\"";
      text.append(point.name);
    } else {
      AppendCoordinateFromGpx(text, point.lat_text);
      text += ',';
      AppendCoordinateFromGpx(text, point.lon_text);
      text += ',';
      AppendEightBit(text, point.value, ',', changes_);
      text += ",\"";
      AppendEightBit(text, point.name, ',', changes_);
    }
    text += "\",";
    text.append(group_, group_size_);
    text += "\r\n";
    if (changes_.replaced != before.replaced || changes_.separators != before.separators) {
      report_.Warn(messages::kGpxCharacterReplaced, point.line, changes_.replaced - before.replaced);
      report_.Warn(messages::kGpxSeparatorReplaced, point.line, changes_.separators - before.separators);
    }
    WarnTimeLost(report_, point);
    if (track_) {
      if (!run_started_) out_.StartTrack(point.line, route_);
      run_started_ = true;
      // A route's named points are marks, kept as waypoints are.
      out_.TrackPoint(begin, point, route_ && point.named);
    } else {
      out_.OtherPoint(point.line);
    }
    out_.Flow(0);
    last_line_ = point.line;
    return true;
  }

  void EndRun(RunKind kind, std::uint64_t points) override {
    // A run of one point is a waypoint to whoever reads the file.
    if (points > 1) {
      ++report_.Summary().tracks;
      report_.Summary().points += points;
      return;
    }
    ++report_.Summary().waypoints;
    if (kind != RunKind::Waypoint) report_.Warn(messages::kGpxOnePointTrack, last_line_);
  }

 private:
  ConversionReport& report_;
  FitOutput& out_;
  bool eight_bit_;
  bool track_ = false, route_ = false, run_started_ = false;
  std::uint64_t runs_ = 0, last_line_ = 0;
  char group_[8] = {};
  std::size_t group_size_ = 0;
  EightBitChanges changes_;
};

// T and P lines to the track file, W lines to the waypoint file.
class ChartFileWriter final : public StreamWriter {
 public:
  explicit ChartFileWriter(const WriterContext& context)
      : report_(context.report), out_(context.output), eight_bit_(context.form == TextForm::EightBit),
        regional_(*context.regional), stamp_(*context.clock, *context.regional) {}

  void BeginRun(RunKind kind, std::string_view name) override {
    if (kind == RunKind::Waypoint) {
      waypoint_ = true;
      return;
    }
    waypoint_ = false;
    route_ = kind == RunKind::Route;
    header_pending_ = true;
    run_name_ = name;
  }

  bool Point(const StreamPoint& point) override {
    lat_.clear();
    AppendCoordinateFromGpx(lat_, point.lat_text);
    lon_.clear();
    AppendCoordinateFromGpx(lon_, point.lon_text);
    const EightBitChanges before = changes_;
    value_.clear();
    fields_.clear();
    has_fields_ = waypoint_ && point.has_fields;
    const bool named = header_pending_ || waypoint_;
    // A track is named after itself, else after its first point.
    const std::string_view name =
        header_pending_ && !waypoint_ && !run_name_.empty() ? std::string_view(run_name_) : point.name;
    if (eight_bit_) {
      // A chart file's texts, copied as they are.
      value_.assign(point.value);
      if (has_fields_) fields_.assign(point.fields);
      if (named) name_.assign(name);
    } else {
      AppendEightBit(value_, point.value, ';', changes_);
      if (has_fields_) AppendEightBitFields(fields_, point.fields, changes_);
      if (named) {
        name_.clear();
        AppendEightBit(name_, name, ';', changes_);
      }
      report_.Warn(messages::kGpxCharacterReplaced, point.line, changes_.replaced - before.replaced);
      report_.Warn(messages::kGpxSeparatorReplaced, point.line, changes_.separators - before.separators);
    }
    WarnTimeLost(report_, point);
    Append(point);
    return true;
  }

  void EndRun(RunKind kind, std::uint64_t points) override {
    if (kind == RunKind::Waypoint) {
      ++report_.Summary().waypoints;
      waypoint_ = false;
    } else {
      ++report_.Summary().tracks;
      report_.Summary().points += points;
    }
  }

 private:
  void Append(const StreamPoint& point) {
    if (waypoint_) {
      AppendWaypointLine(out_.Text(1), TrimSpaces(name_), lon_, lat_, value_,
                         has_fields_ ? std::string_view(fields_) : kWaypointDisplayFields);
      out_.PointOfOtherFile();  // the budget bounds each file on its own
      out_.Flow(1);
      return;
    }
    std::string& tracks = out_.Text(0);
    if (header_pending_) {
      AppendTrackHeaderLine(tracks, TrimSpaces(name_));
      out_.StartTrack(point.line, route_);
      header_pending_ = false;
    }
    const std::size_t begin = tracks.size();
    AppendTrackPointLine(tracks, lon_, lat_, RegionalValue(), stamp_.Now());
    // A route's named points are marks, kept as waypoints are.
    out_.TrackPoint(begin, point, route_ && point.named);
    out_.Flow(0);
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

  ConversionReport& report_;
  FitOutput& out_;
  bool eight_bit_;
  const RegionalSettings& regional_;
  bool waypoint_ = false, route_ = false, header_pending_ = false, has_fields_ = false;
  std::string run_name_, name_, value_, fields_, regional_value_, lat_, lon_;
  StampOfNow stamp_;
  EightBitChanges changes_;
};

// A run's records, while it is being read, beside the output: a block in
// memory, then a file of its own once they outgrow it, read back once for
// each part of the run's KML. Memory stays one block whatever the run.
class RecordSpill final : public kml::KmlRunRecords {
 public:
  // `output`: the file it is beside, which its failures name.
  RecordSpill(FileSystem& files, std::string output) : files_(files), output_(output), path_(output + ".~spill") {}
  RecordSpill(const RecordSpill&) = delete;
  RecordSpill& operator=(const RecordSpill&) = delete;
  ~RecordSpill() override {
    if (!file_) return;
    static_cast<void>(file_->Close());
    static_cast<void>(files_.Remove(path_));
  }

  std::string& Buffer() { return buffer_; }
  void Flow() {
    if (buffer_.size() >= StreamedOutput::kBlock) Spill();
  }
  void Clear() {
    buffer_.clear();
    length_ = 0;
  }

  void ForEach(const std::function<void(std::string_view)>& each) override {
    if (!file_) return EachLine(buffer_, each);
    Spill();
    std::string block(StreamedOutput::kBlock, '\0'), carry;  // carry: a record cut by a block's end
    for (std::uint64_t at = 0; at < length_;) {
      const std::ptrdiff_t n =
          file_->ReadAt(at, block.data(), static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), length_ - at)));
      if (n <= 0) throw ConversionFailure::FileOperation(output_, files_);
      at += static_cast<std::uint64_t>(n);
      carry.append(block.data(), static_cast<std::size_t>(n));
      const std::size_t last = carry.rfind('\n');
      if (last == std::string::npos) continue;
      EachLine(std::string_view(carry).substr(0, last + 1), each);
      carry.erase(0, last + 1);
    }
  }

 private:
  static void EachLine(std::string_view text, const std::function<void(std::string_view)>& each) {
    while (!text.empty()) {
      const std::size_t end = text.find('\n');
      each(text.substr(0, end));
      if (end == std::string_view::npos) return;
      text.remove_prefix(end + 1);
    }
  }

  void Spill() {
    if (!file_) {
      static_cast<void>(files_.Remove(path_));  // one a stopped run left
      auto created = files_.CreateRecordsExclusive(path_);
      if (!created) throw ConversionFailure::FileOperation(output_, created.fault());
      file_ = std::move(*created);
    }
    if (!buffer_.empty() && !file_->WriteAt(length_, buffer_.data(), buffer_.size())) {
      throw ConversionFailure::FileOperation(output_, files_);
    }
    length_ += buffer_.size();
    buffer_.clear();
  }

  FileSystem& files_;
  std::string output_, path_;
  std::unique_ptr<RandomAccessFile> file_;
  std::string buffer_;
  std::uint64_t length_ = 0;
};

// Waypoints go to the document as they come; a track's or route's points
// become records, and the run's KML is made from them once it ends: at
// once from the spill when the output streams, after the fit when it is
// gathered (the records are then each point's piece, which a fit cuts).
class KmlFileWriter final : public StreamWriter {
 public:
  explicit KmlFileWriter(const WriterContext& context)
      : report_(context.report), out_(context.output), eight_bit_(context.form == TextForm::EightBit),
        spill_(out_.Files(), out_.Outputs()[0]->Path()) {
    kml::KmlWriter::AppendHead(Front(), TESSALINE_TITLE);
  }

  void BeginRun(RunKind kind, std::string_view name) override {
    if (kind == RunKind::Waypoint) {
      in_waypoint_ = true;
      return;
    }
    EndOpenRun();
    kind_ = kind;
    run_name_.assign(eight_bit_ ? EightBitToUtf8(name) : std::string(name));
    start_pending_ = true;
  }

  bool Point(const StreamPoint& point) override {
    const kml::KmlOutPoint out = Out(point);
    if (in_waypoint_) {
      writer_.AppendWaypoint(Front(), out);
      out_.OtherPoint(point.line);
      NoteDropped(point.line);
      ++report_.Summary().waypoints;
      out_.Flow(0);
      return true;
    }
    std::string& text = out_.Text(0);
    if (start_pending_) {
      head_.clear();
      writer_.AppendRunRecord(head_, kind_, run_name_);
      if (!out_.Streaming()) text += head_;
      start_pending_ = false;
      in_run_ = true;
      out_.StartTrack(point.line, kind_ == RunKind::Route);
      ++report_.Summary().tracks;
    }
    const std::size_t begin = text.size();
    if (out_.Streaming()) {
      writer_.AppendPointRecord(spill_.Buffer(), out);
      spill_.Flow();
    } else {
      writer_.AppendPointRecord(text, out);
    }
    // A route's named points are marks, kept as waypoints are.
    out_.TrackPoint(begin, point, kind_ == RunKind::Route && point.named);
    NoteDropped(point.line);
    ++report_.Summary().points;
    return true;
  }

  void EndRun(RunKind kind, std::uint64_t) override {
    if (kind == RunKind::Waypoint) {
      in_waypoint_ = false;
    } else {
      EndOpenRun();
    }
  }

  void End() override {
    EndOpenRun();
    kml::KmlWriter::AppendTail(out_.Text(0));
  }

  void Fitted() override {
    if (!out_.Streaming()) kml::FormatKmlRecords(out_.Text(0));
  }

  void NotCarried(std::string_view element, std::uint64_t line) override {
    report_.Warn(messages::NotCarriedKind(element), line);
  }

 private:
  // Gathered, the head and the waypoints go before the records, so that a
  // waypoint between a track's points (a chart file's) stays out of them.
  std::string& Front() { return out_.Streaming() ? out_.Text(0) : out_.Lead(0); }

  void EndOpenRun() {
    if (in_run_ && out_.Streaming()) {
      kml::FormatKmlRun(out_.Text(0), head_, spill_, [this] { out_.Flow(0); });
      spill_.Clear();
    } else if (in_run_) {
      kml::KmlWriter::AppendRunEndRecord(out_.Text(0));
    }
    in_run_ = false;
    start_pending_ = false;
  }

  kml::KmlOutPoint Out(const StreamPoint& point) {
    kml::KmlOutPoint out;
    out.lat = point.lat_text;
    out.lon = point.lon_text;
    out.name = eight_bit_ ? EightBitAsUtf8(point.name, name_) : point.name;
    out.has_name = point.own_name && (in_waypoint_ || !point.name.empty() || !eight_bit_);
    out.value = eight_bit_ ? EightBitAsUtf8(TrimSpaces(point.value), value_) : point.value;
    out.has_value = point.own_value;
    if (point.elevation && ReadGpxDecimal(*point.elevation)) out.elevation = *point.elevation;
    out.time = TimeText(report_, point, time_);
    return out;
  }

  void NoteDropped(std::uint64_t line) { WarnDropped(report_, writer_.dropped_controls(), dropped_, line); }

  ConversionReport& report_;
  FitOutput& out_;
  bool eight_bit_;
  RecordSpill spill_;
  kml::KmlWriter writer_;
  RunKind kind_ = RunKind::Track;
  std::string run_name_, head_;
  std::string name_, value_, time_;
  std::uint64_t dropped_ = 0;
  bool in_waypoint_ = false, start_pending_ = false, in_run_ = false;
};

}  // namespace

std::unique_ptr<StreamWriter> MakeKmlWriter(const WriterContext& context) {
  return std::make_unique<KmlFileWriter>(context);
}

namespace {

// The document's bytes compressed into the archive on their way to the
// output, the archive made in a scratch file beside it.
class KmzFilter final : public OutputFilter {
 public:
  // `output`: the archive's file, which its failures name.
  KmzFilter(FileSystem& files, std::string output) : files_(files), output_(output), path_(output + ".~zip") {
    static_cast<void>(files_.Remove(path_));  // one a stopped run left
    auto created = files_.CreateRecordsExclusive(path_);
    if (!created) throw ConversionFailure::FileOperation(output_, created.fault());
    scratch_ = std::move(*created);
    archive_ = std::make_unique<kml::KmzWriter>(*scratch_);
  }
  KmzFilter(const KmzFilter&) = delete;
  KmzFilter& operator=(const KmzFilter&) = delete;
  ~KmzFilter() override {
    archive_.reset();
    static_cast<void>(scratch_->Close());
    static_cast<void>(files_.Remove(path_));
  }
  void Add(std::string_view text, const Write&) override {
    if (!archive_->Add(text)) throw ConversionFailure::FileOperation(output_, files_);
  }
  void End(const Write& write) override {
    if (!archive_->Finish(write)) throw ConversionFailure::FileOperation(output_, files_);
  }

 private:
  FileSystem& files_;
  std::string output_, path_;
  std::unique_ptr<RandomAccessFile> scratch_;
  std::unique_ptr<kml::KmzWriter> archive_;
};

}  // namespace

std::unique_ptr<StreamWriter> MakeKmzWriter(const WriterContext& context) {
  StreamedOutput& archive = *context.output.Outputs()[0];
  archive.SetFilter(std::make_unique<KmzFilter>(context.output.Files(), archive.Path()));
  return std::make_unique<KmlFileWriter>(context);
}

std::unique_ptr<StreamWriter> MakeGpxWriter(const WriterContext& context) {
  return std::make_unique<GpxFileWriter>(context);
}
std::unique_ptr<StreamWriter> MakeDeviceWriter(const WriterContext& context) {
  return std::make_unique<DeviceFileWriter>(context);
}
std::unique_ptr<StreamWriter> MakeChartWriter(const WriterContext& context) {
  return std::make_unique<ChartFileWriter>(context);
}

}  // namespace tessaline::gpx
