#include "shell/qt/controls.h"

#include <QPainter>
#include <QPolygonF>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextOption>

namespace tessaline {

QColor BgrColor(Bgr bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

// ---------------------------------------------------------------- NavyLabel

NavyLabel::NavyLabel(const QString& text, QWidget* parent) : QLabel(parent) {
  // Captions come from file names and converters: never read them as markup.
  setTextFormat(Qt::PlainText);
  setText(text);
  setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  // Tracked, so that moves without a button go on to the window too (Qt
  // drops those over an untracked widget).
  setMouseTracking(true);
  frame_color_ = palette().color(QPalette::WindowText);
}

void NavyLabel::SetBordered(bool bordered) {
  bordered_ = bordered;
  const int margin = bordered ? 1 : 0;
  setContentsMargins(margin, margin, margin, margin);
  update();
}

void NavyLabel::SetTextColor(const QColor& color) {
  QPalette colors = palette();
  colors.setColor(QPalette::WindowText, color);
  setPalette(colors);
}

void NavyLabel::SetBackgroundColor(const QColor& color) {
  QPalette colors = palette();
  colors.setColor(QPalette::Window, color);
  setPalette(colors);
  setAutoFillBackground(true);
}

QColor NavyLabel::TextColor() const { return palette().color(QPalette::WindowText); }

QColor NavyLabel::BackgroundColor() const { return palette().color(QPalette::Window); }

void NavyLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!bordered_) return;
  QPainter painter(this);
  painter.setPen(QPen(frame_color_, 0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---------------------------------------------------------------- ShapeControl

ShapeControl::ShapeControl(Kind kind, const QColor& fill, int border_width, QWidget* parent)
    : QWidget(parent), kind_(kind), fill_(fill), border_width_(border_width) {
  // Not transparent for the mouse: Qt would then hand the events to the
  // label beneath (lblFichiers, lblStatus). Ignored here, they go up to the
  // window, whose core finds no label there. Tracked, so that moves without
  // a button go up too.
  setMouseTracking(true);
  border_ = palette().color(QPalette::WindowText);
}

void ShapeControl::SetFillColor(const QColor& fill) {
  if (fill_ == fill) return;
  fill_ = fill;
  update();
}

void ShapeControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (kind_ == Kind::Rectangle) {
    // The border lies inside the box, around the filled middle.
    painter.fillRect(rect(), border_);
    painter.fillRect(rect().adjusted(border_width_, border_width_, -border_width_, -border_width_),
                     fill_);
    return;
  }
  // The largest circle that fits the box, centred in it.
  const qreal diameter = qMin(width(), height());
  const QRectF circle((width() - diameter) / 2, (height() - diameter) / 2, diameter, diameter);
  const qreal inset = border_width_ / 2.0;
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(border_, border_width_));
  painter.setBrush(fill_);
  painter.drawEllipse(circle.adjusted(inset, inset, -inset, -inset));
}

// ---------------------------------------------------------------- LineControl

LineControl::LineControl(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);  // its events go up to the window, as a shape's
  color_ = palette().color(QPalette::WindowText);
}

void LineControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), color_);
}

// ---------------------------------------------------------------- CompletionButton

CompletionButton::CompletionButton(const QString& caption, QWidget* parent)
    : QPushButton(parent) {
  setAttribute(Qt::WA_NoMousePropagation);
  SetCaption(caption);
}

void CompletionButton::SetCaption(const QString& caption) {
  caption_ = caption;
  // Doubled, "&" stays a character for the button's own text (what screen
  // readers read) and defines no shortcut.
  QString escaped = caption;
  escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
  setText(escaped);
  update();
}

void CompletionButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);

  QStyleOptionButton contents_option;
  initStyleOption(&contents_option);
  QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &contents_option, this);
  if (!thumbnail_.Empty()) {
    PaintThumbnail(painter);
    contents.setTop(thumbnail_box_.bottom() + 1);
  }
  QTextOption layout(Qt::AlignCenter);
  layout.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  painter.setPen(palette().color(QPalette::ButtonText));
  painter.drawText(QRectF(contents), caption_, layout);
}

void CompletionButton::SetThumbnail(const picture::Thumbnail& thumbnail, const QRect& box) {
  thumbnail_ = thumbnail;
  thumbnail_box_ = box;
  update();
}

// The core's coordinates are pixel centres' continuous positions: a mark at
// (x, y) is drawn centred there.
void CompletionButton::PaintThumbnail(QPainter& painter) const {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const double unit = thumbnail_box_.height() / 60.0;  // 1 at 96 dots per inch
  for (const picture::Thumbnail::Line& line : thumbnail_.lines) {
    QPen pen(line.role == picture::LineRole::Route ? QColor(0x7a, 0x3f, 0xa0) : QColor(0x1f, 0x4e, 0x9c),
             1.5 * unit);
    if (line.role == picture::LineRole::Route) pen.setStyle(Qt::DashLine);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    QPolygonF points;
    for (const picture::PixelSpot& p : line.points) points << QPointF(p.x, p.y);
    if (points.size() == 1) points << points.front();
    painter.drawPolyline(points);
  }
  auto dots = [&](const std::vector<picture::PixelSpot>& spots, const QColor& colour, double radius) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    for (const picture::PixelSpot& p : spots) painter.drawEllipse(QPointF(p.x, p.y), radius * unit, radius * unit);
  };
  dots(thumbnail_.waypoints, QColor(0xe0, 0x8a, 0x10), 2);
  dots(thumbnail_.starts, QColor(0x1e, 0x9e, 0x3c), 3);
  dots(thumbnail_.ends, QColor(0xd0, 0x20, 0x2a), 3);
  painter.restore();
}

}  // namespace tessaline
