#include "shell/win32/thumbnail_painter.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tessaline::win32 {

namespace {

int Round(double value) { return static_cast<int>(std::lround(value)); }

void Dots(HDC dc, const std::vector<picture::PixelSpot>& spots, COLORREF colour, double radius) {
  HBRUSH brush = CreateSolidBrush(colour);
  HGDIOBJ old_brush = SelectObject(dc, brush);
  HGDIOBJ old_pen = SelectObject(dc, GetStockObject(NULL_PEN));
  const int r = Round(radius);
  for (const picture::PixelSpot& p : spots) {
    const int x = Round(p.x), y = Round(p.y);
    // A null pen leaves the right and bottom edges out: one more pixel.
    Ellipse(dc, x - r, y - r, x + r + 2, y + r + 2);
  }
  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
  DeleteObject(brush);
}

}  // namespace

void PaintThumbnail(HDC dc, const picture::Thumbnail& thumbnail, double unit) {
  for (const picture::Thumbnail::Line& line : thumbnail.lines) {
    const bool route = line.role == picture::LineRole::Route;
    LOGBRUSH colour{BS_SOLID, route ? RGB(0x7a, 0x3f, 0xa0) : RGB(0x1f, 0x4e, 0x9c), 0};
    const DWORD dashes[2] = {static_cast<DWORD>(Round(4 * unit)), static_cast<DWORD>(Round(3 * unit))};
    HPEN pen = ExtCreatePen(PS_GEOMETRIC | (route ? PS_USERSTYLE : PS_SOLID) | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                            static_cast<DWORD>(std::max(1, Round(1.5 * unit))), &colour, route ? 2 : 0,
                            route ? dashes : nullptr);
    HGDIOBJ old = SelectObject(dc, pen);
    std::vector<POINT> points;
    points.reserve(line.points.size() + 1);
    for (const picture::PixelSpot& p : line.points) points.push_back({Round(p.x), Round(p.y)});
    if (points.size() == 1) points.push_back(points.front());
    Polyline(dc, points.data(), static_cast<int>(points.size()));
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  Dots(dc, thumbnail.waypoints, RGB(0xe0, 0x8a, 0x10), 2 * unit);
  Dots(dc, thumbnail.starts, RGB(0x1e, 0x9e, 0x3c), 3 * unit);
  Dots(dc, thumbnail.ends, RGB(0xd0, 0x20, 0x2a), 3 * unit);
}

}  // namespace tessaline::win32
