#include "formats/gpx/gpx_writer.h"

#include <array>
#include <cstdint>

#include "formats/gpx/gpx_model.h"

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

void GpxWriter::AppendTrackStart(std::string& out, std::string_view name) {
  out += "<trk>";
  if (!name.empty()) {
    out += "<name>";
    AppendText(out, name);
    out += "</name>";
  }
  out += "<trkseg>\n";
}

void GpxWriter::AppendTrackPoint(std::string& out, const GpxOutPoint& point) {
  AppendPoint(out, RunKind::Track, point);
}

void GpxWriter::AppendTrackEnd(std::string& out) { out += "</trkseg></trk>\n"; }

void GpxWriter::AppendPoint(std::string& out, RunKind kind, const GpxOutPoint& point) {
  const std::string_view element = kind == RunKind::Waypoint ? "wpt" : "trkpt";
  out += '<';
  out.append(element);
  out += " lat=\"";
  out.append(point.lat);
  out += "\" lon=\"";
  out.append(point.lon);
  out += "\">";
  if (!point.name.empty()) {
    // The points of a track mostly share one name: escaped once.
    if (!name_known_ || point.name != name_) {
      name_.assign(point.name);
      escaped_name_ = "<name>";
      const std::uint64_t dropped_before = dropped_;
      AppendText(escaped_name_, point.name);
      escaped_name_ += "</name>";
      name_dropped_ = dropped_ - dropped_before;
      name_known_ = true;
    } else {
      dropped_ += name_dropped_;
    }
    out += escaped_name_;
  } else if (kind != RunKind::Waypoint) {
    // Without it the point would read back with its track's name.
    out += "<name/>";
  }
  const bool value = WritesValue(kind, point.value);
  if (value || point.has_fields) {
    out += "<extensions>";
    if (value) AppendExtension(out, kValueElement, point.value);
    if (point.has_fields) AppendExtension(out, kFieldsElement, point.fields);
    out += "</extensions>";
  }
  out += "</";
  out.append(element);
  out += ">\n";
}

void GpxWriter::AppendExtension(std::string& out, std::string_view element, std::string_view text) {
  out += '<';
  out.append(kExtensionPrefix);
  out += ':';
  out.append(element);
  out += '>';
  AppendText(out, text);
  out += "</";
  out.append(kExtensionPrefix);
  out += ':';
  out.append(element);
  out += '>';
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

void GpxWriter::AppendText(std::string& out, std::string_view text) {
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
      ++dropped_;
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
      ++dropped_;
    }
  }
  out.append(text.substr(plain));
}

}  // namespace tessaline::gpx
