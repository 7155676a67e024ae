#pragma once
// The kinds of control the window is made of: labels that keep their mouse
// events to themselves, shapes and lines that are part of the window's own
// surface, and the completion button, which wraps its caption.

#include <QColor>
#include <QLabel>
#include <QPushButton>

#include "picture/thumbnail.h"
#include <QString>
#include <QWidget>
#include <cstdint>

#include "shell/logic/control_table.h"

namespace tessaline {

// A colour written as 0x00BBGGRR: blue in the high byte, red in the low one.
QColor BgrColor(Bgr bgr);

// A label of the window, which may carry a thin frame. It takes no mouse
// event of its own: they go on to the window, whose core decides what a
// press or a move over the label means.
class NavyLabel : public QLabel {
  Q_OBJECT

 public:
  NavyLabel(const QString& text, QWidget* parent);

  // A one-pixel frame in the window-text colour, whatever colours the label
  // takes later (a selected direction label keeps a dark frame).
  void SetBordered(bool bordered);
  bool IsBordered() const { return bordered_; }

  void SetTextColor(const QColor& color);
  void SetBackgroundColor(const QColor& color);  // also makes the label opaque
  QColor TextColor() const;
  QColor BackgroundColor() const;
  bool IsOpaque() const { return autoFillBackground(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool bordered_ = false;
  QColor frame_color_;
};

// A filled circle or rectangle with a border. It takes no mouse input of its
// own: its events go to the window's own surface, never to a label beneath.
class ShapeControl : public QWidget {
  Q_OBJECT

 public:
  enum class Kind { Circle, Rectangle };

  ShapeControl(Kind kind, const QColor& fill, int border_width, QWidget* parent);

  Kind kind() const { return kind_; }
  QColor FillColor() const { return fill_; }
  void SetFillColor(const QColor& fill);
  int BorderWidth() const { return border_width_; }
  QColor BorderColor() const { return border_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Kind kind_;
  QColor fill_;
  QColor border_;
  int border_width_;
};

// A horizontal line one pixel high across its whole width, part of the
// window's own surface like the shapes.
class LineControl : public QWidget {
  Q_OBJECT

 public:
  explicit LineControl(QWidget* parent);
  QColor LineColor() const { return color_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor color_;
};

// The completion button. Its caption holds a file name: it is wrapped over
// several lines (breaking a long name anywhere), and an "&" in it is shown
// as it is instead of becoming a keyboard shortcut.
class CompletionButton : public QPushButton {
  Q_OBJECT

 public:
  CompletionButton(const QString& caption, QWidget* parent);

  void SetCaption(const QString& caption);
  const QString& Caption() const { return caption_; }
  // The picture above the caption, in `box`; empty: the caption alone.
  void SetThumbnail(const picture::Thumbnail& thumbnail, const QRect& box);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PaintThumbnail(QPainter& painter) const;

  QString caption_;
  picture::Thumbnail thumbnail_;
  QRect thumbnail_box_;
};

}  // namespace tessaline
