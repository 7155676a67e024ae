#include "formats/kml/kml_reader.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "formats/gpx/gpx_model.h"
#include "formats/gpx/gpx_time.h"
#include "formats/kml/kml_writer.h"

namespace tessaline::kml {

namespace {

using gpx::GpxReadEnd;
using gpx::GpxReadResult;

constexpr std::string_view kKmlNamespaces[] = {
    "", "http://earth.google.com/kml/2.0", "http://earth.google.com/kml/2.1", "http://earth.google.com/kml/2.2",
    kKmlNamespace,
};

// Longer than any tuple of decimals: the rest of one is not kept, and it
// is skipped.
constexpr std::size_t kMaxTuple = 256;

// What each open element is to the reader.
enum class Kind : std::uint8_t {
  Other,          // nothing read below it
  Skipped,        // reported once; nothing read below it
  Container,      // kml, Document
  Folder,
  FolderName,
  FolderData,     // a folder's ExtendedData: the route's marker
  Placemark,
  Name,           // a placemark's
  Stamp,          // TimeStamp
  StampWhen,
  PlacemarkData,  // a placemark's ExtendedData
  Data,           // <Data name="value">
  DataValue,
  SchemaData,
  ArrayData,      // gx:SimpleArrayData
  ArrayValue,
  MultiGeometry,
  Point,
  LineString,
  Coordinates,
  MultiTrack,
  Track,
  When,
  Coord,
};

bool IsUnsupportedFeature(std::string_view local) {
  return local == "GroundOverlay" || local == "ScreenOverlay" || local == "PhotoOverlay" ||
         local == "NetworkLink" || local == "Tour";
}
bool IsUnsupportedGeometry(std::string_view local) {
  return local == "Polygon" || local == "Model" || local == "LinearRing";
}

// Texts held until the coordinates they go with: one entry a point.
class HeldTexts {
 public:
  void Add(std::string_view entry) {
    text_.append(entry);
    ends_.push_back(static_cast<std::uint32_t>(text_.size()));
  }
  // Entry i, if there is one and it is not empty.
  std::optional<std::string_view> At(std::uint64_t i) const {
    if (i >= ends_.size()) return std::nullopt;
    const std::uint32_t begin = i == 0 ? 0 : ends_[i - 1];
    if (ends_[i] == begin) return std::nullopt;
    return std::string_view(text_).substr(begin, ends_[i] - begin);
  }
  bool Empty() const { return ends_.empty(); }
  void Clear() {
    text_.clear();
    ends_.clear();
  }

 private:
  std::string text_;
  std::vector<std::uint32_t> ends_;
};

struct HeldTime {
  std::int64_t seconds = 0;
  std::uint32_t nanoseconds = 0;
  std::uint8_t digits = 0;
  TimeNote note = TimeNote::None;
};

struct Tuple {
  std::string_view lon, lat, alt;
};

// "lon,lat[,alt]" or "lon lat [alt]" split at `between`; false when it
// has fewer than two numbers or is out of range. A third text that is no
// number is left out.
bool ReadTuple(std::string_view text, char between, Tuple& tuple) {
  std::string_view parts[3];
  std::size_t count = 0;
  while (count < 3) {
    while (between == ' ' && !text.empty() && (text[0] == ' ' || text[0] == '\t')) text.remove_prefix(1);
    if (text.empty()) break;
    std::size_t end = text.find(between);
    if (between == ' ') end = std::min(end, text.find('\t'));
    parts[count++] = text.substr(0, end);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  tuple = Tuple{parts[0], parts[1], parts[2]};
  if (count < 2 || !gpx::GpxDecimalWithin(tuple.lat, 90) || !gpx::GpxDecimalWithin(tuple.lon, 180)) return false;
  if (!tuple.alt.empty() && !gpx::ReadGpxDecimal(tuple.alt)) tuple.alt = {};
  return true;
}

struct Folder {
  std::string name;
  bool route = false;
};

class Reader final : public gpx::ExpatDocument {
 public:
  Reader(PointSink& sink, KmlNotes& notes) : sink_(sink), notes_(notes) {}

 private:
  void StartElement(const XML_Char* name, const XML_Char** attributes) override {
    const std::string_view local = gpx::LocalName(name);
    if (Depth() == 1) {
      if (local != "kml") return Refuse("l'élément racine n'est pas kml");
      const std::string_view space = gpx::NamespaceOf(name);
      for (const std::string_view known : kKmlNamespaces) {
        if (space == known) {
          kinds_.push_back(Kind::Container);
          return;
        }
      }
      return Refuse("espace de noms de kml inconnu « " + std::string(space) + " »");
    }
    kinds_.push_back(KindOf(gpx::NamespaceOf(name), local, attributes));
  }

  Kind KindOf(std::string_view space, std::string_view local, const XML_Char** attributes) {
    switch (kinds_.back()) {
      case Kind::Container:
      case Kind::Folder:
        if (local == "Document") return Kind::Container;
        if (local == "Folder") {
          folders_.emplace_back();
          return Kind::Folder;
        }
        if (local == "Placemark") return BeginPlacemark();
        if (kinds_.back() == Kind::Folder && local == "name") return Collect(folders_.back().name, Kind::FolderName);
        if (kinds_.back() == Kind::Folder && local == "ExtendedData") return Kind::FolderData;
        if (IsUnsupportedFeature(local)) return Unsupported(local);
        return Kind::Other;
      case Kind::FolderData:
        if (space == gpx::kExtensionNamespace && local == kRouteMarker) folders_.back().route = true;
        return Kind::Other;
      case Kind::Placemark:
        if (local == "name") {
          has_name_ = true;
          return Collect(name_, Kind::Name);
        }
        if (local == "TimeStamp") return Kind::Stamp;
        if (local == "ExtendedData") return Kind::PlacemarkData;
        return Geometry(local);
      case Kind::MultiGeometry: return Geometry(local);
      case Kind::Stamp:
        if (local == "when") return Collect(stamp_, Kind::StampWhen);
        return Kind::Other;
      case Kind::PlacemarkData:
        if (local == "Data" && Attribute(attributes, "name") == kValueArray) return Kind::Data;
        if (local == "SchemaData") return Kind::SchemaData;
        return Kind::Other;
      case Kind::Data:
        if (local == "value") {
          has_value_ = true;
          return Collect(value_, Kind::DataValue);
        }
        return Kind::Other;
      case Kind::SchemaData:
        if (local == "SimpleArrayData") {
          const std::string_view array = Attribute(attributes, "name");
          array_ = array == kTimeArray ? &times_ : array == kValueArray ? &values_ : array == kNameArray ? &names_
                                                                                                            : nullptr;
          return Kind::ArrayData;
        }
        return Kind::Other;
      case Kind::ArrayData:
        if (local == "value" && array_ != nullptr) return Collect(entry_, Kind::ArrayValue);
        return Kind::Other;
      case Kind::Point:
      case Kind::LineString:
        if (local == "coordinates") {
          UncapText();
          return Kind::Coordinates;
        }
        return Kind::Other;
      case Kind::MultiTrack:
        if (local == "Track") return BeginTrack();
        return Kind::Other;
      case Kind::Track:
        if (local == "when") return Collect(entry_, Kind::When);
        if (local == "coord") return Collect(entry_, Kind::Coord);
        if (local == "ExtendedData") return Unsupported("ExtendedData");
        return Kind::Other;
      default: return kinds_.back() == Kind::Skipped ? Kind::Skipped : Kind::Other;
    }
  }

  Kind Geometry(std::string_view local) {
    if (local == "Point") {
      held_point_ = false;
      return Kind::Point;
    }
    if (local == "LineString") return Kind::LineString;
    if (local == "MultiGeometry") return Kind::MultiGeometry;
    if (local == "MultiTrack") return Kind::MultiTrack;
    if (local == "Track") return BeginTrack();
    if (IsUnsupportedGeometry(local)) return Unsupported(local);
    return Kind::Other;
  }

  Kind Unsupported(std::string_view local) {
    notes_.Unsupported(local, Line());
    return Kind::Skipped;
  }

  Kind Collect(std::string& target, Kind kind) {
    target.clear();
    collect_ = &target;
    return kind;
  }

  static std::string_view Attribute(const XML_Char** attributes, std::string_view name) {
    for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
      if (gpx::LocalName(a[0]) == name) return a[1];
    }
    return {};
  }

  Kind BeginPlacemark() {
    name_.clear();
    has_name_ = has_value_ = false;
    value_.clear();
    stamp_.clear();
    times_.Clear();
    values_.Clear();
    names_.Clear();
    array_index_ = 0;
    return Kind::Placemark;
  }

  Kind BeginTrack() {
    whens_.clear();
    coords_ = 0;
    return Kind::Track;
  }

  void Characters(const XML_Char* text, std::size_t size) override {
    const Kind kind = kinds_.back();
    if (kind == Kind::Coordinates) return Tuples(std::string_view(text, size));
    if (collect_ != nullptr && kind != Kind::Other && kind != Kind::Skipped) collect_->append(text, size);
  }

  // A piece of <coordinates>: tuples end at blanks.
  void Tuples(std::string_view text) {
    std::uint64_t line = Line();
    for (const char c : text) {
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        EndTuple();
        if (c == '\n') ++line;
        continue;
      }
      if (tuple_.empty() && !tuple_long_) tuple_line_ = line;
      if (tuple_.size() < kMaxTuple) {
        tuple_ += c;
      } else {
        tuple_long_ = true;
      }
    }
  }

  void EndTuple() {
    if (tuple_.empty()) return;
    Tuple tuple;
    if (tuple_long_ || !ReadTuple(tuple_, ',', tuple)) {
      sink_.PointSkipped(tuple_line_);
    } else if (kinds_[kinds_.size() - (kinds_.back() == Kind::Coordinates ? 2 : 1)] == Kind::Point) {
      if (!held_point_) Hold(tuple, tuple_line_);
    } else if (!InRouteFolder()) {
      TrackPoint(tuple, tuple_line_, nullptr);
    }
    tuple_.clear();
    tuple_long_ = false;
  }

  void Hold(const Tuple& tuple, std::uint64_t line) {
    held_point_ = true;
    held_lon_.assign(tuple.lon);
    held_lat_.assign(tuple.lat);
    held_alt_.assign(tuple.alt);
    held_line_ = line;
  }

  bool InRouteFolder() const { return !folders_.empty() && folders_.back().route; }

  void EndElement() override {
    const Kind kind = kinds_.back();
    kinds_.pop_back();
    if (kind == Kind::Name || kind == Kind::FolderName || kind == Kind::StampWhen || kind == Kind::DataValue) {
      collect_ = nullptr;
    }
    switch (kind) {
      case Kind::Coordinates: EndTuple(); break;
      case Kind::ArrayValue:
        collect_ = nullptr;
        array_->Add(entry_);
        break;
      case Kind::When: {
        collect_ = nullptr;
        const std::optional<gpx::GpxTimeRead> time = gpx::ReadGpxTime(entry_);
        HeldTime held;
        if (time) {
          held.seconds = time->time.seconds;
          held.nanoseconds = time->time.nanoseconds;
          held.digits = time->time.digits;
        }
        held.note = !time ? TimeNote::Unreadable : time->zoned ? TimeNote::None : TimeNote::NoZone;
        whens_.push_back(held);
        break;
      }
      case Kind::Coord: {
        collect_ = nullptr;
        const std::uint64_t index = coords_++;
        Tuple tuple;
        if (!ReadTuple(gpx::TrimXmlBlanks(entry_), ' ', tuple)) {
          sink_.PointSkipped(Line());
          break;
        }
        TrackPoint(tuple, Line(), index < whens_.size() ? &whens_[index] : nullptr, true);
        break;
      }
      case Kind::Point:
        if (held_point_) PointPlacemark();
        break;
      case Kind::LineString:
        EndTrack();
        break;
      case Kind::Track:
        whens_.clear();
        if (kinds_.back() != Kind::MultiTrack) EndTrack();
        break;
      case Kind::MultiTrack: EndTrack(); break;
      case Kind::Folder:
        if (route_open_ && route_folder_ == folders_.size()) EndRoute();
        folders_.pop_back();
        break;
      default: break;
    }
  }

  // A point of a track's, with its time (`when`, else the placemark's
  // array of times) and its arrays' entries. A gx:coord with neither is
  // told, unless its placemark holds this program's arrays (a track written
  // without times).
  void TrackPoint(const Tuple& tuple, std::uint64_t line, const HeldTime* when, bool coord = false) {
    EndRoute();
    if (!track_open_) {
      sink_.BeginRun(RunKind::Track, name_);
      track_open_ = true;
      run_points_ = 0;
    }
    const std::uint64_t index = array_index_++;
    StreamPoint& point = Fill(tuple, line, RunKind::Track, names_.At(index), values_.At(index));
    if (when != nullptr) {
      if (when->note != TimeNote::Unreadable) point.time = PointTime{when->seconds, when->nanoseconds, when->digits};
      point.time_note = when->note;
    } else if (const std::optional<std::string_view> time = times_.At(index)) {
      SetTime(point, *time);
    } else if (coord && times_.Empty() && values_.Empty() && names_.Empty()) {
      notes_.CoordWithoutTime(line);
    }
    ++run_points_;
    if (!sink_.Point(point)) Stop();
  }

  void EndTrack() {
    if (track_open_) sink_.EndRun(RunKind::Track, run_points_);
    track_open_ = false;
  }

  void EndRoute() {
    if (route_open_) sink_.EndRun(RunKind::Route, run_points_);
    route_open_ = false;
  }

  // A Point: a waypoint, or a point of the route of the folder it is in.
  void PointPlacemark() {
    const Tuple tuple{held_lon_, held_lat_, held_alt_};
    const std::optional<std::string_view> name =
        has_name_ ? std::optional<std::string_view>(name_) : std::nullopt;
    const std::optional<std::string_view> value =
        has_value_ ? std::optional<std::string_view>(value_) : std::nullopt;
    if (InRouteFolder()) {
      EndTrack();
      if (!route_open_) {
        sink_.BeginRun(RunKind::Route, folders_.back().name);
        route_open_ = true;
        route_folder_ = folders_.size();
        run_points_ = 0;
      }
      StreamPoint& point = Fill(tuple, held_line_, RunKind::Route, name, value);
      if (!point.own_name) point.name = folders_.back().name;
      if (!stamp_.empty()) SetTime(point, stamp_);
      ++run_points_;
      if (!sink_.Point(point)) Stop();
      return;
    }
    EndTrack();
    EndRoute();
    sink_.BeginRun(RunKind::Waypoint, name_);
    StreamPoint& point = Fill(tuple, held_line_, RunKind::Waypoint, name, value);
    if (!stamp_.empty()) SetTime(point, stamp_);
    if (!sink_.Point(point)) return Stop();
    sink_.EndRun(RunKind::Waypoint, 1);
  }

  StreamPoint& Fill(const Tuple& tuple, std::uint64_t line, RunKind kind, std::optional<std::string_view> name,
                    std::optional<std::string_view> value) {
    // One point kept for them all: clearing a new one costs more than its fields.
    StreamPoint& point = point_;
    point.lat_text = tuple.lat;
    point.lon_text = tuple.lon;
    point.own_name = name.has_value();
    point.name = name ? *name : std::string_view(name_);
    point.named = name && !gpx::TrimXmlBlanks(*name).empty();
    point.elevation.reset();
    if (!tuple.alt.empty()) point.elevation = tuple.alt;
    point.own_value = value.has_value();
    point.value = gpx::TrimXmlBlanks(gpx::PointValue(kind, value, point.elevation));
    point.time.reset();
    point.time_note = TimeNote::None;
    point.line = line;
    point.offset = Offset();
    return point;
  }

  static void SetTime(StreamPoint& point, std::string_view text) {
    const std::optional<gpx::GpxTimeRead> time = gpx::ReadGpxTime(text);
    if (time) point.time = time->time;
    point.time_note = !time ? TimeNote::Unreadable : time->zoned ? TimeNote::None : TimeNote::NoZone;
  }

  PointSink& sink_;
  KmlNotes& notes_;
  std::vector<Kind> kinds_;
  std::vector<Folder> folders_;
  std::string* collect_ = nullptr;

  std::string name_, value_, stamp_, entry_;  // of the placemark open
  bool has_name_ = false, has_value_ = false;
  HeldTexts times_, values_, names_;
  HeldTexts* array_ = nullptr;
  std::uint64_t array_index_ = 0;

  // Of the gx:Track open; a deque, so that growing it never holds it twice.
  std::deque<HeldTime> whens_;
  std::uint64_t coords_ = 0;

  std::string tuple_;
  bool tuple_long_ = false;
  std::uint64_t tuple_line_ = 0;
  bool held_point_ = false;
  std::string held_lon_, held_lat_, held_alt_;
  std::uint64_t held_line_ = 0;

  bool track_open_ = false, route_open_ = false;
  std::size_t route_folder_ = 0;
  std::uint64_t run_points_ = 0;
  StreamPoint point_;
};

// The root's name, then a stop.
class RootName final : public gpx::ExpatDocument {
 public:
  std::string name;

 private:
  void StartElement(const XML_Char* element, const XML_Char**) override {
    name = gpx::LocalName(element);
    Stop();
  }
  void EndElement() override {}
  void Characters(const XML_Char*, std::size_t) override {}
};

}  // namespace

GpxReadResult ReadKml(InputStream& input, PointSink& sink, KmlNotes& notes) {
  Reader reader(sink, notes);
  return reader.Read(input);
}

bool IsKmlDocument(InputStream& input) {
  RootName root;
  return root.Read(input).end == GpxReadEnd::Stopped && root.name == "kml";
}

}  // namespace tessaline::kml
