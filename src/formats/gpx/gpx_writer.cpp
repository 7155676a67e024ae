#include "formats/gpx/gpx_writer.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "formats/gpx/gpx_model.h"
#include "formats/short_copy.h"

namespace tessaline::gpx {

void GpxWriter::AppendHead(std::string& out, std::string_view creator) {
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"";
  GpxWriter escaper;
  escaper.AppendText(out, creator);
  out += "\" xmlns=\"";
  out.append(kGpxNamespace);
  out += "\" xmlns:";
  out.append(kExtensionPrefix);
  out += "=\"";
  out.append(kExtensionNamespace);
  out += "\">\n";
}

void GpxWriter::AppendTail(std::string& out) { out += "</gpx>\n"; }

void GpxWriter::AppendWaypoint(std::string& out, const GpxOutPoint& point) {
  AppendPoint(out, RunKind::Waypoint, point);
}

void GpxWriter::AppendTrackStart(std::string& out, std::string_view name) { AppendRunStart(out, RunKind::Track, name); }

void GpxWriter::AppendTrackPoint(std::string& out, const GpxOutPoint& point) {
  AppendPoint(out, RunKind::Track, point);
}

void GpxWriter::AppendTrackEnd(std::string& out) { out += "</trkseg></trk>\n"; }

void GpxWriter::AppendRunStart(std::string& out, RunKind kind, std::string_view name) {
  if (kind == RunKind::Waypoint) return;
  const bool track = kind == RunKind::Track;
  out += track ? "<trk>" : "<rte>";
  if (!name.empty()) {
    out += "<name>";
    AppendText(out, name);
    out += "</name>";
  }
  out += track ? "<trkseg>\n" : "\n";
}

void GpxWriter::AppendRunEnd(std::string& out, RunKind kind) {
  if (kind == RunKind::Track) AppendTrackEnd(out);
  if (kind == RunKind::Route) out += "</rte>\n";
}

namespace {
// The pieces of one point, added to the output at once: a point is a dozen
// short pieces (AppendPoint adds 12 at most), and as many appends would
// cost more than the bytes. Past kMost pieces, those gathered go first.
class Pieces {
 public:
  explicit Pieces(std::string& out) : out_(out) {}
  void Add(std::string_view piece) {
    if (count_ == kMost) [[unlikely]] Spill();
    data_[count_] = piece.data();
    sizes_[count_++] = piece.size();
    size_ += piece.size();
  }
  void Flush() {
    Append();
    count_ = size_ = 0;
  }

 private:
  static constexpr std::size_t kMost = 16;

  [[gnu::noinline]] void Spill() { Flush(); }
  void Append() const {
    char joined[512];
    if (size_ > sizeof joined) {
      for (std::size_t i = 0; i < count_; ++i) out_.append(data_[i], sizes_[i]);
    } else {
      char* at = joined;
      for (std::size_t i = 0; i < count_; ++i) at = CopyShort(at, data_[i], sizes_[i]);
      out_.append(joined, size_);
    }
  }

  std::string& out_;
  const char* data_[kMost];
  std::size_t sizes_[kMost];
  std::size_t count_ = 0, size_ = 0;
};

// The tags around an extension's text, made once.
struct ExtensionTags {
  explicit ExtensionTags(std::string_view element)
      : open(std::string("<").append(kExtensionPrefix).append(":").append(element).append(">")),
        close(std::string("</").append(kExtensionPrefix).append(":").append(element).append(">")) {}
  std::string open, close;
};
}  // namespace

void GpxWriter::AppendPoint(std::string& out, RunKind kind, const GpxOutPoint& point) {
  const bool waypoint = kind == RunKind::Waypoint;
  const bool route = kind == RunKind::Route;
  Pieces pieces(out);
  pieces.Add(waypoint ? "<wpt lat=\"" : route ? "<rtept lat=\"" : "<trkpt lat=\"");
  pieces.Add(point.lat);
  pieces.Add("\" lon=\"");
  pieces.Add(point.lon);
  if (!point.elevation.empty() || !point.time.empty()) {
    // GPX wants <ele> and <time> before <name>: such a point (read from
    // GPX) has its name made on its own.
    pieces.Add("\">");
    if (!point.elevation.empty()) {
      pieces.Add("<ele>");
      pieces.Add(Escaped(point.elevation, escaped_elevation_));
      pieces.Add("</ele>");
    }
    if (!point.time.empty()) {
      pieces.Add("<time>");
      pieces.Add(point.time);
      pieces.Add("</time>");
    }
    if (point.has_name && !point.name.empty()) {
      pieces.Add("<name>");
      pieces.Add(Escaped(point.name, escaped_name_));
      pieces.Add("</name>");
    } else if (point.has_name && !waypoint) {
      pieces.Add("<name/>");
    }
  } else if (!point.has_name) {
    pieces.Add("\">");
  } else if (!point.name.empty()) {
    // The points of a track mostly share one name: its element is made
    // once, with the end of the start tag before it.
    if (point.name != name_) {
      name_.assign(point.name);
      name_markup_ = "\"><name>";
      const std::uint64_t dropped_before = dropped_;
      AppendText(name_markup_, point.name);
      name_markup_ += "</name>";
      name_dropped_ = dropped_ - dropped_before;
    } else {
      dropped_ += name_dropped_;
    }
    pieces.Add(name_markup_);
  } else if (!waypoint) {
    // Without it the point would read back with its track's name.
    pieces.Add("\"><name/>");
  } else {
    pieces.Add("\">");
  }
  const bool value = point.has_value && WritesValue(kind, point.value);
  const bool extensions = value || point.has_fields;
  if (extensions) {
    static const ExtensionTags value_tags(kValueElement), fields_tags(kFieldsElement);
    static const std::string extensions_and_value = "<extensions>" + value_tags.open;
    static const std::string extensions_and_fields = "<extensions>" + fields_tags.open;
    if (value) {
      pieces.Add(extensions_and_value);
      pieces.Add(Escaped(point.value, escaped_value_));
      pieces.Add(value_tags.close);
    }
    if (point.has_fields) {
      pieces.Add(value ? std::string_view(fields_tags.open) : std::string_view(extensions_and_fields));
      pieces.Add(Escaped(point.fields, escaped_fields_));
      pieces.Add(fields_tags.close);
    }
  }
  if (waypoint) {
    pieces.Add(extensions ? "</extensions></wpt>\n" : "</wpt>\n");
  } else if (route) {
    pieces.Add(extensions ? "</extensions></rtept>\n" : "</rtept>\n");
  } else {
    pieces.Add(extensions ? "</extensions></trkpt>\n" : "</trkpt>\n");
  }
  pieces.Flush();
}


namespace {
// What a byte of text needs: 0 nothing, 1 an entity or leaving out, 2 a look
// at what follows (0xEF may start U+FFFE or U+FFFF). Names and values are
// almost always plain, and one table lookup a byte finds that fastest.
constexpr std::array<std::uint8_t, 256> kByteNeeds = [] {
  std::array<std::uint8_t, 256> needs{};
  for (int byte = 0; byte < 0x20; ++byte) needs[byte] = byte == '\t' || byte == '\n' ? 0 : 1;
  for (const char c : {'&', '<', '>', '"', '\''}) needs[static_cast<unsigned char>(c)] = 1;
  needs[0xEF] = 2;
  return needs;
}();
}  // namespace

std::string_view GpxWriter::Escaped(std::string_view text, std::string& room) {
  // Most texts need nothing: they go as they are, without a copy.
  bool plain = true;
  for (const char c : text) plain = plain && kByteNeeds[static_cast<unsigned char>(c)] == 0;
  if (plain) return text;
  room.clear();
  AppendText(room, text);
  return room;
}

void GpxWriter::AppendText(std::string& out, std::string_view text) { AppendXmlText(out, text, dropped_); }

void AppendXmlText(std::string& out, std::string_view text, std::uint64_t& dropped) {
  std::size_t plain = 0;  // start of the run of bytes copied as they are
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const std::uint8_t needs = kByteNeeds[byte];
    if (needs == 0) continue;
    if (needs == 2) {
      // U+FFFE and U+FFFF are valid UTF-8 yet no XML character either.
      const bool nonchar = i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
                           (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE;
      if (!nonchar) continue;
      out.append(text.substr(plain, i - plain));
      plain = i + 3;
      i += 2;
      ++dropped;
      continue;
    }
    const char* entity = nullptr;
    switch (byte) {
      case '&': entity = "&amp;"; break;
      case '<': entity = "&lt;"; break;
      case '>': entity = "&gt;"; break;
      case '"': entity = "&quot;"; break;
      case '\'': entity = "&apos;"; break;
      // Raw, a reader would make it a line feed.
      case '\r': entity = "&#13;"; break;
      default: break;
    }
    out.append(text.substr(plain, i - plain));
    plain = i + 1;
    if (entity != nullptr) {
      out += entity;
    } else {
      ++dropped;
    }
  }
  out.append(text.substr(plain));
}

}  // namespace tessaline::gpx
