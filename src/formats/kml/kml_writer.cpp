#include "formats/kml/kml_writer.h"

#include <array>

#include "formats/gpx/gpx_model.h"
#include "formats/gpx/gpx_writer.h"

namespace tessaline::kml {

namespace {

// What separates a record's pieces and marks its runs: control characters
// that no escaped text holds.
constexpr char kPieceEnd = '\x1f';
constexpr char kRunStart = '\x1e';
constexpr char kRunEnd = '\x1d';
constexpr char kOwn = '+', kNone = '-';

enum Piece { kLon, kLat, kEle, kTime, kValue, kName, kPieces };

using Pieces = std::array<std::string_view, kPieces>;

Pieces Split(std::string_view record) {
  Pieces pieces{};
  for (std::size_t i = 0; i < kPieces; ++i) {
    const std::size_t end = record.find(kPieceEnd);
    pieces[i] = record.substr(0, end);
    if (end == std::string_view::npos) break;
    record.remove_prefix(end + 1);
  }
  return pieces;
}

bool Own(std::string_view piece) { return !piece.empty() && piece[0] == kOwn; }
std::string_view Text(std::string_view piece) { return piece.empty() ? piece : piece.substr(1); }

void AppendTuple(std::string& out, const Pieces& p, char between) {
  out.append(p[kLon]);
  out += between;
  out.append(p[kLat]);
  if (!p[kEle].empty()) {
    out += between;
    out.append(p[kEle]);
  }
}

void AppendTimeStamp(std::string& out, std::string_view time) {
  if (time.empty()) return;
  out += "<TimeStamp><when>";
  out.append(time);
  out += "</when></TimeStamp>";
}

void AppendValueData(std::string& out, std::string_view value) {
  out += "<ExtendedData><Data name=\"value\"><value>";
  out.append(value);
  out += "</value></Data></ExtendedData>";
}

// A placemark with a Point: a waypoint, or a route's point in its folder.
void AppendPointPlacemark(std::string& out, const Pieces& p, std::string_view style, bool value) {
  out += "<Placemark>";
  if (Own(p[kName])) {
    out += "<name>";
    out.append(Text(p[kName]));
    out += "</name>";
  }
  AppendTimeStamp(out, p[kTime]);
  out += "<styleUrl>#";
  out.append(style);
  out += "</styleUrl>";
  if (value) AppendValueData(out, Text(p[kValue]));
  out += "<Point><coordinates>";
  AppendTuple(out, p, ',');
  out += "</coordinates></Point></Placemark>\n";
}

void AppendLineString(std::string& out, std::string_view name, std::string_view style, KmlRunRecords& records,
                      const std::function<void()>& flow) {
  out += "<Placemark><name>";
  out.append(name);
  out += "</name><styleUrl>#";
  out.append(style);
  out += "</styleUrl><LineString><tessellate>1</tessellate><coordinates>\n";
  records.ForEach([&](std::string_view record) {
    AppendTuple(out, Split(record), ',');
    out += '\n';
    flow();
  });
  out += "</coordinates></LineString></Placemark>\n";
}

void AppendArray(std::string& out, std::string_view name, Piece piece, KmlRunRecords& records,
                 const std::function<void()>& flow) {
  out += "<gx:SimpleArrayData name=\"";
  out.append(name);
  out += "\">\n";
  records.ForEach([&](std::string_view record) {
    const std::string_view text = Split(record)[piece];
    out += "<gx:value>";
    out.append(piece == kTime ? text : Own(text) ? Text(text) : std::string_view());
    out += "</gx:value>\n";
    flow();
  });
  out += "</gx:SimpleArrayData>\n";
}

}  // namespace

void KmlWriter::AppendHead(std::string& out, std::string_view document_name) {
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"";
  out.append(kKmlNamespace);
  out += "\" xmlns:gx=\"";
  out.append(kGxNamespace);
  out += "\" xmlns:";
  out.append(gpx::kExtensionPrefix);
  out += "=\"";
  out.append(gpx::kExtensionNamespace);
  out += "\">\n<Document><name>";
  out.append(document_name);
  out +=
      "</name>\n"
      "<Style id=\"waypoint\"><IconStyle><Icon><href>"
      "http://maps.google.com/mapfiles/kml/pushpin/ylw-pushpin.png</href></Icon></IconStyle></Style>\n"
      "<Style id=\"track\"><LineStyle><color>ff0000ff</color><width>3</width></LineStyle></Style>\n"
      "<Style id=\"route\"><LineStyle><color>ffff7f00</color><width>3</width></LineStyle></Style>\n"
      "<Schema id=\"point\">"
      "<gx:SimpleArrayField name=\"time\" type=\"string\"/>"
      "<gx:SimpleArrayField name=\"value\" type=\"string\"/>"
      "<gx:SimpleArrayField name=\"name\" type=\"string\"/></Schema>\n";
}

void KmlWriter::AppendTail(std::string& out) { out += "</Document>\n</kml>\n"; }

// As GPX escapes it, and line feeds as references, since a record ends at one.
void KmlWriter::AppendText(std::string& out, std::string_view text) {
  for (;;) {
    const std::size_t end = text.find('\n');
    gpx::AppendXmlText(out, text.substr(0, end), dropped_);
    if (end == std::string_view::npos) return;
    out += "&#10;";
    text.remove_prefix(end + 1);
  }
}

void KmlWriter::AppendPointRecord(std::string& out, const KmlOutPoint& point) {
  out.append(point.lon);
  out += kPieceEnd;
  out.append(point.lat);
  out += kPieceEnd;
  out.append(point.elevation);
  out += kPieceEnd;
  out.append(point.time);
  out += kPieceEnd;
  out += point.has_value ? kOwn : kNone;
  AppendText(out, point.value);
  out += kPieceEnd;
  out += point.has_name ? kOwn : kNone;
  AppendText(out, point.name);
  out += '\n';
}

void KmlWriter::AppendWaypoint(std::string& out, const KmlOutPoint& point) {
  std::string record;
  AppendPointRecord(record, point);
  record.pop_back();
  const Pieces pieces = Split(record);
  AppendPointPlacemark(out, pieces, "waypoint",
                       point.has_value && gpx::WritesValue(RunKind::Waypoint, point.value));
}

void KmlWriter::AppendRunRecord(std::string& out, RunKind kind, std::string_view name) {
  out += kRunStart;
  out += kind == RunKind::Route ? 'R' : 'T';
  AppendText(out, name);
  out += '\n';
}

void KmlWriter::AppendRunEndRecord(std::string& out) {
  out += kRunEnd;
  out += '\n';
}

void FormatKmlRun(std::string& out, std::string_view head, KmlRunRecords& records,
                  const std::function<void()>& flow) {
  if (!head.empty() && head.back() == '\n') head.remove_suffix(1);
  const bool route = head.size() > 1 && head[1] == 'R';
  const std::string_view name = head.size() > 2 ? head.substr(2) : std::string_view();
  std::uint64_t points = 0, timed = 0;
  bool values = false, names = false;
  records.ForEach([&](std::string_view record) {
    const Pieces p = Split(record);
    ++points;
    if (!p[kTime].empty()) ++timed;
    values = values || Own(p[kValue]);
    names = names || Own(p[kName]);
  });
  if (points == 0) return;  // every point cut by a fit
  if (route) {
    out += "<Folder><name>";
    out.append(name);
    out += "</name><ExtendedData><";
    out.append(gpx::kExtensionPrefix);
    out += ':';
    out.append(kRouteMarker);
    out += "/></ExtendedData>\n";
    AppendLineString(out, name, "route", records, flow);
    records.ForEach([&](std::string_view record) {
      const Pieces p = Split(record);
      AppendPointPlacemark(out, p, "route", Own(p[kValue]));
      flow();
    });
    out += "</Folder>\n";
    return;
  }
  if (timed == 0 && !values && !names) {
    AppendLineString(out, name, "track", records, flow);
    return;
  }
  // The arrays first, as the schema puts a placemark's ExtendedData before
  // its geometry: a reader holds them until the coordinates come.
  out += "<Placemark><name>";
  out.append(name);
  out += "</name><styleUrl>#track</styleUrl>\n";
  const bool every_time = timed == points;
  if (!every_time || values || names) {
    out += "<ExtendedData><SchemaData schemaUrl=\"#point\">\n";
    if (!every_time && timed > 0) AppendArray(out, kTimeArray, kTime, records, flow);
    if (values) AppendArray(out, kValueArray, kValue, records, flow);
    if (names) AppendArray(out, kNameArray, kName, records, flow);
    out += "</SchemaData></ExtendedData>\n";
  }
  out += "<gx:Track>\n";
  if (every_time) {
    records.ForEach([&](std::string_view record) {
      out += "<when>";
      out.append(Split(record)[kTime]);
      out += "</when>\n";
      flow();
    });
  }
  records.ForEach([&](std::string_view record) {
    out += "<gx:coord>";
    AppendTuple(out, Split(record), ' ');
    out += "</gx:coord>\n";
    flow();
  });
  out += "</gx:Track></Placemark>\n";
}

namespace {

class TextRecords final : public KmlRunRecords {
 public:
  explicit TextRecords(std::string_view text) : text_(text) {}
  void ForEach(const std::function<void(std::string_view)>& each) override {
    std::string_view rest = text_;
    while (!rest.empty()) {
      const std::size_t end = rest.find('\n');
      each(rest.substr(0, end));
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
  }

 private:
  std::string_view text_;
};

}  // namespace

void FormatKmlRecords(std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  std::size_t at = 0;
  for (;;) {
    const std::size_t start = text.find(kRunStart, at);
    out.append(text, at, start == std::string::npos ? std::string::npos : start - at);
    if (start == std::string::npos) break;
    const std::size_t head_end = text.find('\n', start);
    const std::size_t end = text.find(kRunEnd, head_end);
    TextRecords records(std::string_view(text).substr(head_end + 1, end - head_end - 1));
    FormatKmlRun(out, std::string_view(text).substr(start, head_end - start), records, [] {});
    at = end + 2;  // the end mark and its line end
  }
  text.swap(out);
}

}  // namespace tessaline::kml
