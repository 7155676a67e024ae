#include "picture/svg.h"

#include <charconv>
#include <cmath>

namespace tessaline::picture {

namespace {

constexpr const char* kOriginalColour = "#9a9a9a";
constexpr const char* kTrackColour = "#1f4e9c";
constexpr const char* kRouteColour = "#7a3fa0";
constexpr const char* kStartColour = "#1e9e3c";
constexpr const char* kEndColour = "#d0202a";
constexpr const char* kWaypointColour = "#e08a10";
constexpr const char* kDeviationColour = "#e0409a";
constexpr int kTicksPerLine = 3;          // direction ticks along a line
constexpr double kShortestTicked = 60;   // pixels: a shorter line has none

// A coordinate to a tenth of a pixel, whatever the locale.
void Number(std::string& out, double value) {
  char buffer[32];
  if (!std::isfinite(value)) value = 0;
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1).ptr;
  out.append(buffer, end);
}

void Attribute(std::string& out, const char* name, double value) {
  out += ' ';
  out += name;
  out += "=\"";
  Number(out, value);
  out += '"';
}

struct Spot {
  double x, y;
};

void Path(std::string& out, const std::vector<Spot>& spots, const char* stroke, double width, const char* extra) {
  out += "<path fill=\"none\" stroke=\"";
  out += stroke;
  out += "\" stroke-width=\"";
  Number(out, width);
  out += "\" stroke-linejoin=\"round\" stroke-linecap=\"round\"";
  out += extra;
  out += " d=\"";
  char command = 'M';
  for (const Spot& s : spots) {
    out += command;
    Number(out, s.x);
    out += ' ';
    Number(out, s.y);
    command = 'L';
  }
  if (spots.size() == 1) out += "h0.1";  // a single point still shows its cap
  out += "\"/>\n";
}

void Circle(std::string& out, const Spot& at, double radius, const char* fill, const char* stroke) {
  out += "<circle";
  Attribute(out, "cx", at.x);
  Attribute(out, "cy", at.y);
  Attribute(out, "r", radius);
  out += " fill=\"";
  out += fill;
  out += "\" stroke=\"";
  out += stroke;
  out += "\" stroke-width=\"1.5\"/>\n";
}

void Text(std::string& out, const Spot& at, std::string_view text, double size, const char* anchor) {
  out += "<text";
  Attribute(out, "x", at.x);
  Attribute(out, "y", at.y);
  Attribute(out, "font-size", size);
  out += " font-family=\"sans-serif\" fill=\"#202020\" text-anchor=\"";
  out += anchor;
  out += "\">";
  out += XmlText(text);
  out += "</text>\n";
}

// Chevrons pointing the way the line goes, at even distances along it.
void Ticks(std::string& out, const std::vector<Spot>& spots, const char* stroke) {
  double length = 0;
  for (std::size_t i = 1; i < spots.size(); ++i) length += std::hypot(spots[i].x - spots[i - 1].x, spots[i].y - spots[i - 1].y);
  if (length < kShortestTicked) return;
  int tick = 1;
  double walked = 0;
  for (std::size_t i = 1; i < spots.size() && tick <= kTicksPerLine; ++i) {
    const double dx = spots[i].x - spots[i - 1].x, dy = spots[i].y - spots[i - 1].y;
    const double step = std::hypot(dx, dy);
    while (tick <= kTicksPerLine && walked + step >= length * tick / (kTicksPerLine + 1)) {
      const double t = (length * tick / (kTicksPerLine + 1) - walked) / step;
      const Spot tip{spots[i - 1].x + t * dx, spots[i - 1].y + t * dy};
      const double ux = dx / step, uy = dy / step;
      Path(out, {{tip.x - 7 * ux - 5 * uy, tip.y - 7 * uy + 5 * ux}, tip, {tip.x - 7 * ux + 5 * uy, tip.y - 7 * uy - 5 * ux}},
           stroke, 2, "");
      ++tick;
    }
    walked += step;
  }
}

}  // namespace

std::string XmlText(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) break;
        out += c;
    }
  }
  return out;
}

std::string SvgOf(const Picture& picture) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"800\" height=\"600\" viewBox=\"0 0 800 600\">\n"
      "<rect x=\"0\" y=\"0\" width=\"800\" height=\"600\" fill=\"#ffffff\"/>\n";
  const PixelFrame frame(picture.box, kSvgDataLeft, kSvgDataTop, kSvgDataWidth, kSvgDataHeight);
  auto at = [&frame](const PlanePoint& p) { return Spot{frame.X(p), frame.Y(p)}; };
  for (const Polyline& line : picture.lines) {
    std::vector<Spot> spots;
    spots.reserve(line.points.size());
    for (const PlanePoint& p : line.points) spots.push_back(at(p));
    switch (line.role) {
      case LineRole::Original: Path(out, spots, kOriginalColour, 1, ""); break;
      case LineRole::Track:
        Path(out, spots, kTrackColour, 2, "");
        Ticks(out, spots, kTrackColour);
        break;
      case LineRole::Route:
        Path(out, spots, kRouteColour, 2, " stroke-dasharray=\"8 5\"");
        Ticks(out, spots, kRouteColour);
        break;
    }
  }
  // Waypoints first: a track that starts or ends at one keeps its marks on top.
  std::vector<const Mark*> marks;
  for (const Mark& mark : picture.marks) {
    if (mark.kind == MarkKind::Waypoint) marks.push_back(&mark);
  }
  for (const Mark& mark : picture.marks) {
    if (mark.kind != MarkKind::Waypoint) marks.push_back(&mark);
  }
  for (const Mark* each : marks) {
    const Mark& mark = *each;
    const Spot spot = at(mark.at);
    switch (mark.kind) {
      case MarkKind::Start: Circle(out, spot, 6, kStartColour, "#ffffff"); break;
      case MarkKind::End: Circle(out, spot, 6, kEndColour, "#ffffff"); break;
      case MarkKind::Waypoint:
        Circle(out, spot, 4, kWaypointColour, "#603000");
        Text(out, {spot.x + 7, spot.y - 5}, mark.name, 12, "start");
        break;
      case MarkKind::LargestDeviation: {
        // Where, not how far: measured on the points kept for the picture,
        // the distance is only as fine as a pixel; the summary gives the fit's own.
        Circle(out, spot, 10, "none", kDeviationColour);
        Text(out, {spot.x + 13, spot.y + 16}, "écart max", 11, "start");
        break;
      }
    }
  }
  // The scale bar, bottom left.
  const double bar = picture.scale.metres * frame.PixelsPerMetre();
  const double y = kSvgHeight - 25, x0 = kSvgDataLeft, x1 = kSvgDataLeft + bar;
  Path(out, {{x0, y - 6}, {x0, y}, {x1, y}, {x1, y - 6}}, "#202020", 2, "");
  Text(out, {(x0 + x1) / 2, y - 9}, picture.scale.label, 12, "middle");
  // North up.
  Path(out, {{770, 42}, {770, 18}}, "#202020", 2, "");
  Path(out, {{764, 26}, {770, 16}, {776, 26}}, "#202020", 2, "");
  Text(out, {770, 58}, "N", 12, "middle");
  out += "</svg>\n";
  return out;
}

}  // namespace tessaline::picture
