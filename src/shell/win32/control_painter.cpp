#include "shell/win32/control_painter.h"

#include <cstring>

#include "platform/wide_text_win.h"

namespace tessaline::win32 {

namespace {

COLORREF ColorOf(std::optional<Bgr> color) {
  // 0x00BBGGRR is a COLORREF already.
  return color ? static_cast<COLORREF>(*color) : GetSysColor(COLOR_WINDOWTEXT);
}

void FillBox(HDC dc, const RECT& box, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &box, brush);
  DeleteObject(brush);
}

}  // namespace

ControlLooks InitialLooks() {
  ControlLooks looks;
  for (const ControlSpec& row : ControlTable()) {
    ControlLook& look = looks[static_cast<std::size_t>(row.id)];
    look.caption = row.caption != nullptr ? platform::Widen(row.caption) : std::wstring();
    look.tooltip = row.tooltip != nullptr ? platform::Widen(row.tooltip) : std::wstring();
    look.text_color = row.text_color;
    look.fill = row.fill;
    look.visible = row.visible;
  }
  return looks;
}

ControlPainter::ControlPainter(const PixelScale& scale, HBITMAP sphere)
    : scale_(scale), sphere_(sphere) {}

ControlPainter::~ControlPainter() {
  for (std::size_t i = 0; i < font_count_; ++i) DeleteObject(fonts_[i].font);
}

HFONT ControlPainter::Font(const FontSpec& row, bool bold) {
  for (std::size_t i = 0; i < font_count_; ++i) {
    const CachedFont& cached = fonts_[i];
    if (std::strcmp(cached.family, row.family) == 0 && cached.points == row.points &&
        cached.bold == bold) {
      return cached.font;
    }
  }
  const std::wstring family = platform::Widen(row.family);
  HFONT font = CreateFontW(-scale_.FontPixels(row.points), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL,
                           FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS,
                           family.c_str());
  if (font_count_ < fonts_.size()) fonts_[font_count_++] = {row.family, row.points, bold, font};
  return font;
}

void ControlPainter::Paint(HDC dc, SIZE size, const ControlLooks& looks) {
  const RECT all{0, 0, size.cx, size.cy};
  FillBox(dc, all, RGB(255, 255, 255));
  if (sphere_ != nullptr) {
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, sphere_);
    BITMAP picture{};
    GetObjectW(sphere_, sizeof picture, &picture);
    const int side = scale_.Scaled(picture.bmWidth);
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, 0, 0, side, side, source, 0, 0, picture.bmWidth, picture.bmHeight, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  }
  SetBkMode(dc, TRANSPARENT);
  for (const ControlSpec& row : ControlTable()) {
    const ControlLook& look = looks[static_cast<std::size_t>(row.id)];
    if (!look.visible) continue;
    switch (row.kind) {
      case ControlKind::Label:
        PaintLabel(dc, row, look);
        break;
      case ControlKind::Circle:
      case ControlKind::Rectangle:
        PaintShape(dc, row, look);
        break;
      case ControlKind::Line:
        PaintLine(dc, row);
        break;
      case ControlKind::Button:
        break;
    }
  }
}

void ControlPainter::PaintLabel(HDC dc, const ControlSpec& row, const ControlLook& look) {
  RECT box = RectOf(scale_.Box(row));
  if (look.fill) FillBox(dc, box, ColorOf(look.fill));
  if (row.border_width > 0) {
    HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_WINDOWTEXT));
    FrameRect(dc, &box, frame);
    DeleteObject(frame);
    InflateRect(&box, -1, -1);
  }
  HGDIOBJ old = SelectObject(dc, Font(row.font, look.bold));
  SetTextColor(dc, ColorOf(look.text_color));
  const UINT layout = DT_CENTER | DT_TOP | DT_NOPREFIX | (row.word_wrap ? DT_WORDBREAK : DT_SINGLELINE);
  DrawTextW(dc, look.caption.c_str(), static_cast<int>(look.caption.size()), &box, layout);
  SelectObject(dc, old);
}

void ControlPainter::PaintShape(HDC dc, const ControlSpec& row, const ControlLook& look) {
  RECT box = RectOf(scale_.Box(row));
  const int border = scale_.Scaled(row.border_width);
  if (row.kind == ControlKind::Rectangle) {
    // The border lies inside the box, around the filled middle.
    FillBox(dc, box, GetSysColor(COLOR_WINDOWTEXT));
    InflateRect(&box, -border, -border);
    FillBox(dc, box, ColorOf(look.fill));
    return;
  }
  // The largest circle that fits the box, centred in it.
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  const int diameter = width < height ? width : height;
  const int left = box.left + (width - diameter) / 2;
  const int top = box.top + (height - diameter) / 2;
  HPEN pen = CreatePen(PS_SOLID, border, GetSysColor(COLOR_WINDOWTEXT));
  HBRUSH brush = CreateSolidBrush(ColorOf(look.fill));
  HGDIOBJ old_pen = SelectObject(dc, pen);
  HGDIOBJ old_brush = SelectObject(dc, brush);
  Ellipse(dc, left, top, left + diameter, top + diameter);
  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
  DeleteObject(pen);
  DeleteObject(brush);
}

void ControlPainter::PaintLine(HDC dc, const ControlSpec& row) {
  const RECT box = RectOf(scale_.Box(row));
  FillBox(dc, box, GetSysColor(COLOR_WINDOWTEXT));
}

}  // namespace tessaline::win32
