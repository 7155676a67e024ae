#include "shell/qt/artwork.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>
#include <QString>
#include <cmath>
#include <numbers>

#include "shell/logic/window_texts.h"

namespace tessaline {

namespace {

constexpr QPointF kCentre(150, 150);
constexpr double kOuterRadius = 145;  // the window's disc
constexpr double kBodyRadius = 131;   // the sphere inside its rim
constexpr double kBaselineRadius = 133.5;
constexpr double kLetterSpacing = 1.4;
// Where the middle of the lettering lies, in degrees counter-clockwise from
// the right (90 is the top): left of the top, so that the window's white
// command labels at the upper right stay on blue.
constexpr double kLetteringMiddle = 128;
// The white strip under the lettering reaches this much past its ends.
constexpr double kStripMargin = 4;

const QColor kRimBlue(24, 52, 168);
const QColor kLetterRed(214, 18, 24);

QPainterPath Ring(double inner, double outer) {
  QPainterPath ring;
  ring.addEllipse(kCentre, outer, outer);
  ring.addEllipse(kCentre, inner, inner);
  ring.setFillRule(Qt::OddEvenFill);
  return ring;
}

void PaintBody(QPainter& painter) {
  // Lit from the upper left: pale blue highlight to a deep navy limb.
  QRadialGradient shade(kCentre, kBodyRadius, QPointF(102, 96));
  shade.setColorAt(0.0, QColor(214, 234, 255));
  shade.setColorAt(0.18, QColor(120, 176, 246));
  shade.setColorAt(0.55, QColor(40, 96, 212));
  shade.setColorAt(0.85, QColor(16, 46, 150));
  shade.setColorAt(1.0, QColor(6, 20, 88));
  painter.setPen(Qt::NoPen);
  painter.setBrush(shade);
  painter.drawEllipse(kCentre, kBodyRadius, kBodyRadius);

  // A soft specular spot.
  QRadialGradient spot(QPointF(96, 88), 34);
  spot.setColorAt(0.0, QColor(255, 255, 255, 190));
  spot.setColorAt(1.0, QColor(255, 255, 255, 0));
  painter.setBrush(spot);
  painter.drawEllipse(QPointF(96, 88), 34, 34);
}

struct Lettering {
  QString text;
  QFont font;
  double length = 0;  // along the baseline, in pixels
};

Lettering MakeLettering() {
  Lettering lettering;
  lettering.text = QString::fromUtf8(window_texts::kTitle);
  lettering.font = QFont(QStringLiteral("Sans Serif"));
  lettering.font.setStyleHint(QFont::SansSerif);
  lettering.font.setBold(true);
  lettering.font.setPixelSize(12);
  const QFontMetricsF metrics(lettering.font);
  for (const QChar c : lettering.text) lettering.length += metrics.horizontalAdvance(c) + kLetterSpacing;
  lettering.length -= kLetterSpacing;
  return lettering;
}

double Degrees(double radians) { return radians * 180 / std::numbers::pi; }

void PaintRim(QPainter& painter, const Lettering& lettering) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(kRimBlue);
  painter.drawPath(Ring(kBodyRadius, kOuterRadius));

  // The white strip under the lettering: the upper part of the rim.
  QPainterPath strip;
  const QRectF outer(kCentre.x() - kOuterRadius, kCentre.y() - kOuterRadius, 2 * kOuterRadius,
                     2 * kOuterRadius);
  const double half = Degrees(lettering.length / 2 / kBaselineRadius) + kStripMargin;
  strip.arcMoveTo(outer, kLetteringMiddle - half);
  strip.arcTo(outer, kLetteringMiddle - half, 2 * half);
  const double inner = kBodyRadius + 1;
  const QRectF inner_box(kCentre.x() - inner, kCentre.y() - inner, 2 * inner, 2 * inner);
  strip.arcTo(inner_box, kLetteringMiddle + half, -2 * half);
  strip.closeSubpath();
  painter.setBrush(Qt::white);
  painter.drawPath(strip);

  // Thin dark rings set the rim off from the sphere and the ground.
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(8, 24, 96), 1.2));
  painter.drawEllipse(kCentre, kBodyRadius, kBodyRadius);
  painter.drawEllipse(kCentre, kOuterRadius - 0.6, kOuterRadius - 0.6);
}

void PaintLettering(QPainter& painter, const Lettering& lettering) {
  const QFontMetricsF metrics(lettering.font);
  painter.setFont(lettering.font);
  painter.setPen(kLetterRed);
  // Angles in radians, counter-clockwise from the right; the text runs
  // clockwise, left to right, upright towards the outside.
  const double middle = kLetteringMiddle * std::numbers::pi / 180;
  double along = -lettering.length / 2;
  for (const QChar c : lettering.text) {
    const double advance = metrics.horizontalAdvance(c);
    const double angle = middle - (along + advance / 2) / kBaselineRadius;
    const QPointF at(kCentre.x() + kBaselineRadius * std::cos(angle),
                     kCentre.y() - kBaselineRadius * std::sin(angle));
    painter.save();
    painter.translate(at);
    painter.rotate(90 - Degrees(angle));
    painter.drawText(QPointF(-advance / 2, 0), QString(c));
    painter.restore();
    along += advance + kLetterSpacing;
  }
}

void PaintSphere(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const Lettering lettering = MakeLettering();
  PaintBody(painter);
  PaintRim(painter, lettering);
  PaintLettering(painter, lettering);
}

}  // namespace

QImage SpherePicture(qreal device_pixel_ratio) {
  const int side = static_cast<int>(std::ceil(kPictureSide * device_pixel_ratio));
  QImage image(side, side, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.scale(side / double(kPictureSide), side / double(kPictureSide));
  PaintSphere(painter);
  painter.end();
  image.setDevicePixelRatio(device_pixel_ratio);
  return image;
}

QImage TessalineIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  // The disc fills the icon: the picture's 290-pixel disc scaled to `size`.
  const double scale = size / (2 * kOuterRadius);
  painter.scale(scale, scale);
  painter.translate(kOuterRadius - kCentre.x(), kOuterRadius - kCentre.y());
  PaintSphere(painter);
  return image;
}

QIcon TessalineIcon() {
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addPixmap(QPixmap::fromImage(TessalineIconImage(size)));
  }
  return icon;
}

}  // namespace tessaline
