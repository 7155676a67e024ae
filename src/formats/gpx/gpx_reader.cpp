#include "formats/gpx/gpx_reader.h"

#include <optional>

#include "formats/gpx/gpx_time.h"

namespace tessaline::gpx {

namespace {

class Reader final : public ExpatDocument {
 public:
  explicit Reader(GpxSink& sink) : sink_(sink) {}

 private:
  void Characters(const XML_Char* text, std::size_t size) override {
    if (collect_ != nullptr && Depth() == collect_depth_) collect_->append(text, size);
  }

  void StartElement(const XML_Char* name, const XML_Char** attributes) override { Start(name, attributes); }
  void EndElement() override { End(); }

  void Collect(std::string& target, bool& present) {
    target.clear();
    present = true;
    collect_ = &target;
    collect_depth_ = Depth();
  }

  void Start(const XML_Char* name, const XML_Char** attributes) {
    const std::string_view local = LocalName(name);
    if (Depth() == 1) {
      if (local != "gpx") Refuse("l'élément racine n'est pas gpx");
      return;
    }
    bool unused = false;
    if (Depth() == 2) {
      if (local == "trk" || local == "rte") {
        run_ = local == "trk" ? RunKind::Track : RunKind::Route;
        in_run_ = true;
        run_name_.clear();
        run_points_ = 0;
      } else if (local == "wpt") {
        run_ = RunKind::Waypoint;
        in_run_ = true;
        run_name_.clear();
        run_points_ = 0;
        BeginPoint(attributes);
      } else {
        NotCarried(local);
      }
      return;
    }
    if (!in_run_) return;
    if (in_point_) {
      const std::size_t below = Depth() - point_depth_;
      if (below == 1 && local == "name") {
        Collect(point_name_, has_name_);
      } else if (below == 1 && local == "ele") {
        Collect(elevation_, has_elevation_);
      } else if (below == 1 && local == "time") {
        Collect(time_, has_time_);
      } else if (below == 1 && local == "extensions") {
        in_extensions_ = true;
      } else if (below == 2 && in_extensions_ && NamespaceOf(name) == kExtensionNamespace &&
                 local == kValueElement) {
        Collect(extension_, has_extension_);
      } else if (below == 2 && in_extensions_ && NamespaceOf(name) == kExtensionNamespace &&
                 local == kFieldsElement) {
        Collect(fields_, has_fields_);
      } else if (below == 1) {
        NotCarried(local);
      } else if (below == 2 && in_extensions_) {
        NotCarried("extensions");
      }
      return;
    }
    if (Depth() == 3 && local == "name") {
      Collect(run_name_, unused);
    } else if (run_ == RunKind::Track && Depth() == 3 && local == "trkseg") {
      in_segment_ = true;
    } else if ((run_ == RunKind::Track && Depth() == 4 && in_segment_ && local == "trkpt") ||
               (run_ == RunKind::Route && Depth() == 3 && local == "rtept")) {
      BeginPoint(attributes);
    } else if (Depth() == 3 || (Depth() == 4 && in_segment_)) {
      NotCarried(local);
    }
  }

  void NotCarried(std::string_view element) { sink_.NotCarried(element, Line()); }

  void End() {
    if (collect_ != nullptr && Depth() == collect_depth_) collect_ = nullptr;
    if (in_point_ && Depth() == point_depth_ + 1) in_extensions_ = false;
    if (in_point_ && Depth() == point_depth_) {
      in_point_ = false;
      FinishPoint();
      if (run_ == RunKind::Waypoint) EndRun();
    } else if (in_run_ && Depth() == 3) {
      in_segment_ = false;
    } else if (in_run_ && Depth() == 2) {
      EndRun();
    }
  }

  void BeginPoint(const XML_Char** attributes) {
    in_point_ = true;
    point_depth_ = Depth();
    has_name_ = has_elevation_ = has_time_ = has_extension_ = has_fields_ = in_extensions_ = false;
    point_name_.clear();
    fields_.clear();
    line_ = Line();
    bool has_lat = false, has_lon = false;
    lat_text_.clear();
    lon_text_.clear();
    for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
      const XML_Char* attribute = a[0];
      if (attribute[0] != 'l' || attribute[1] == 0 || attribute[2] == 0 || attribute[3] != 0) continue;
      if (attribute[1] == 'a' && attribute[2] == 't') {
        has_lat = true;
        lat_text_ = a[1];
      } else if (attribute[1] == 'o' && attribute[2] == 'n') {
        has_lon = true;
        lon_text_ = a[1];
      }
    }
    // Only the range is checked here: the numbers are read when a road asks.
    point_valid_ = has_lat && has_lon && GpxDecimalWithin(lat_text_, 90) && GpxDecimalWithin(lon_text_, 180);
  }

  void FinishPoint() {
    if (!point_valid_) {
      sink_.PointSkipped(line_);
      return;
    }
    if (run_points_ == 0) sink_.BeginRun(run_, run_ == RunKind::Waypoint ? point_name_ : run_name_);
    ++run_points_;
    // One point kept for them all: clearing a new one costs more than its fields.
    GpxPoint& point = point_;
    point.lat_text = lat_text_;
    point.lon_text = lon_text_;
    point.name = has_name_ ? std::string_view(point_name_) : std::string_view(run_name_);
    point.named = has_name_ && !TrimXmlBlanks(point_name_).empty();
    point.value = TrimXmlBlanks(PointValue(run_, has_extension_ ? std::optional<std::string_view>(extension_) : std::nullopt,
                                           has_elevation_ ? std::optional<std::string_view>(elevation_) : std::nullopt));
    point.own_name = has_name_;
    point.own_value = has_extension_;
    point.elevation.reset();
    if (has_elevation_) point.elevation = TrimXmlBlanks(elevation_);
    point.time.reset();
    point.time_note = TimeNote::None;
    if (has_time_) {
      const std::optional<GpxTimeRead> time = ReadGpxTime(time_);
      if (time) point.time = time->time;
      point.time_note = !time ? TimeNote::Unreadable : time->zoned ? TimeNote::None : TimeNote::NoZone;
    }
    point.fields = fields_;
    point.has_fields = has_fields_;
    point.line = line_;
    point.offset = Offset();
    if (!sink_.Point(point)) Stop();
  }

  void EndRun() {
    if (in_run_ && run_points_ > 0) sink_.EndRun(run_, run_points_);
    in_run_ = false;
    run_points_ = 0;
  }

  GpxSink& sink_;

  std::string* collect_ = nullptr;
  std::size_t collect_depth_ = 0;

  RunKind run_ = RunKind::Waypoint;
  bool in_run_ = false, in_segment_ = false;
  std::string run_name_;
  std::uint64_t run_points_ = 0;

  bool in_point_ = false, in_extensions_ = false, point_valid_ = false;
  std::size_t point_depth_ = 0;
  std::uint64_t line_ = 0;
  std::string lat_text_, lon_text_;
  std::string point_name_, elevation_, time_, extension_, fields_;
  GpxPoint point_;
  bool has_name_ = false, has_elevation_ = false, has_time_ = false, has_extension_ = false, has_fields_ = false;
};

}  // namespace

GpxReadResult ReadGpx(InputStream& input, GpxSink& sink) {
  Reader reader(sink);
  return reader.Read(input);
}

}  // namespace tessaline::gpx
