// Writes the Windows window's pictures from the Qt window's artwork, so that
// both windows show the same sphere and icon:
//   tessaline_windows_artwork <folder>
// gives <folder>/sphere.bmp (300 x 300, on white) and <folder>/tessaline.ico
// (16, 24, 32 and 48 pixels, 32-bit with transparency). The Windows build
// has no Qt: scripts/render-windows-artwork.sh runs this and the files are
// committed.

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <QtEndian>
#include <cstdio>
#include <vector>

#include "shell/qt/artwork.h"

namespace {

void Put16(QByteArray& out, quint16 value) {
  const quint16 little = qToLittleEndian(value);
  out.append(reinterpret_cast<const char*>(&little), 2);
}

void Put32(QByteArray& out, quint32 value) {
  const quint32 little = qToLittleEndian(value);
  out.append(reinterpret_cast<const char*>(&little), 4);
}

// One icon image as a device-independent bitmap: the header (twice the
// height, for the colour rows and the mask), BGRA rows bottom up, then a
// one-bit mask that is all zero (the alpha channel decides).
QByteArray IconBitmap(const QImage& picture) {
  const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
  const int side = image.width();
  const int mask_row = ((side + 31) / 32) * 4;
  QByteArray out;
  Put32(out, 40);
  Put32(out, static_cast<quint32>(side));
  Put32(out, static_cast<quint32>(side * 2));
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 0);
  Put32(out, static_cast<quint32>(side * side * 4 + mask_row * side));
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  for (int y = side - 1; y >= 0; --y) {
    const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
    for (int x = 0; x < side; ++x) Put32(out, row[x]);  // 0xAARRGGBB: B, G, R, A in memory
  }
  out.append(QByteArray(mask_row * side, '\0'));
  return out;
}

bool WriteIcon(const QString& path, const std::vector<int>& sizes) {
  std::vector<QByteArray> images;
  for (int size : sizes) images.push_back(IconBitmap(tessaline::TessalineIconImage(size)));
  QByteArray out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, static_cast<quint16>(images.size()));
  quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    out.append(static_cast<char>(sizes[i]));
    out.append(static_cast<char>(sizes[i]));
    out.append('\0');  // no palette
    out.append('\0');
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, static_cast<quint32>(images[i].size()));
    Put32(out, offset);
    offset += static_cast<quint32>(images[i].size());
  }
  for (const QByteArray& image : images) out.append(image);
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: tessaline_windows_artwork <folder>\n", stderr);
    return 2;
  }
  std::vector<char*> arguments{argv[0], const_cast<char*>("-platform"),
                               const_cast<char*>("offscreen")};
  int count = static_cast<int>(arguments.size());
  QGuiApplication application(count, arguments.data());

  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QImage sphere = tessaline::SpherePicture(1.0).convertToFormat(QImage::Format_RGB888);
  if (!sphere.save(folder + QStringLiteral("/sphere.bmp"), "BMP")) {
    std::fputs("cannot write sphere.bmp\n", stderr);
    return 1;
  }
  if (!WriteIcon(folder + QStringLiteral("/tessaline.ico"), {16, 24, 32, 48})) {
    std::fputs("cannot write tessaline.ico\n", stderr);
    return 1;
  }
  return 0;
}
