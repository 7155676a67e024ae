#pragma once
// The program's own pictures, painted in code: a blue shaded sphere whose
// rim carries "Tessaline Pro v4.0" in red along its upper part.

#include <QIcon>
#include <QImage>

namespace tessaline {

// Side of the window's picture in device-independent pixels; the sphere's
// disc (290 across) is centred in it at (150, 150).
inline constexpr int kPictureSide = 300;

// The window's picture on a white ground, kPictureSide pixels square times
// `device_pixel_ratio` (so it stays sharp on a high-density screen).
QImage SpherePicture(qreal device_pixel_ratio = 1.0);

// The sphere alone, with transparent corners, `size` pixels square: the
// window and notification-area icon at 32, or any size for packaging.
QImage TessalineIconImage(int size);

// The icon in the usual sizes, 16 to 256 pixels.
QIcon TessalineIcon();

}  // namespace tessaline
