#include "shell/tray/placeholder_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>

namespace tessaline {

QIcon PlaceholderProgramIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QRadialGradient shade(QPointF(12, 11), 18);
  shade.setColorAt(0, QColor(170, 200, 255));
  shade.setColorAt(1, QColor(0, 40, 160));
  painter.setBrush(shade);
  painter.setPen(QPen(QColor(200, 0, 0), 2));
  painter.drawEllipse(QRectF(2, 2, 28, 28));
  painter.end();
  return QIcon(pixmap);
}

}  // namespace tessaline
