// Writes the program's icon as PNG files for the desktop's icon theme:
//   tessaline_icon_render <folder> <size>...
// gives <folder>/<size>x<size>/apps/tessaline.png for each size. Runs at
// build time on the offscreen platform, so no display is needed.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>
#include <vector>

#include "shell/qt/artwork.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: tessaline_icon_render <folder> <size>...\n", stderr);
    return 2;
  }
  // The lettering needs fonts, hence an application; offscreen whatever
  // the environment says, since a build machine has no display.
  std::vector<char*> arguments{argv[0], const_cast<char*>("-platform"),
                               const_cast<char*>("offscreen")};
  int count = static_cast<int>(arguments.size());
  QGuiApplication application(count, arguments.data());

  const QString folder = QString::fromLocal8Bit(argv[1]);
  for (int i = 2; i < argc; ++i) {
    bool ok = false;
    const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
    if (!ok || size < 16 || size > 1024) {
      std::fprintf(stderr, "tessaline_icon_render: bad size %s\n", argv[i]);
      return 2;
    }
    const QString theme_folder = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
    const QImage image = tessaline::TessalineIconImage(size);
    if (image.width() != size || image.height() != size || !QDir().mkpath(theme_folder) ||
        !image.save(theme_folder + QStringLiteral("/tessaline.png"), "PNG")) {
      std::fprintf(stderr, "tessaline_icon_render: cannot write the %d px icon in %s\n", size,
                   argv[1]);
      return 1;
    }
  }
  return 0;
}
