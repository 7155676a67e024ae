#pragma once
// cmdOK's thumbnail with GDI: the lines, the waypoints as dots, the starts
// and ends, each mark centred on the core's coordinates.

#include "picture/thumbnail.h"
#include "shell/win32/windows_api.h"

namespace tessaline::win32 {

// `unit`: pixels per pixel at 96 dots per inch (1.5 at 144).
void PaintThumbnail(HDC dc, const picture::Thumbnail& thumbnail, double unit);

}  // namespace tessaline::win32
