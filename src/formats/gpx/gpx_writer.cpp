#include "formats/gpx/gpx_writer.h"

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
    out += "<name>";
    AppendText(out, point.name);
    out += "</name>";
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

void GpxWriter::AppendText(std::string& out, std::string_view text) {
  std::size_t plain = 0;  // start of the run of bytes copied as they are
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char* entity = nullptr;
    switch (c) {
      case '&': entity = "&amp;"; break;
      case '<': entity = "&lt;"; break;
      case '>': entity = "&gt;"; break;
      case '"': entity = "&quot;"; break;
      case '\'': entity = "&apos;"; break;
      // Raw, a reader would make it a line feed.
      case '\r': entity = "&#13;"; break;
      default: {
        const auto byte = static_cast<unsigned char>(c);
        // U+FFFE and U+FFFF are valid UTF-8 yet no XML character either.
        const bool nonchar = byte == 0xEF && i + 2 < text.size() &&
                             static_cast<unsigned char>(text[i + 1]) == 0xBF &&
                             (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE;
        if (!nonchar && (byte >= 0x20 || c == '\t' || c == '\n')) continue;
        if (nonchar) {
          out.append(text.substr(plain, i - plain));
          plain = i + 3;
          i += 2;
          ++dropped_;
          continue;
        }
        break;
      }
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
