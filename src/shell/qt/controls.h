#pragma once
// The kinds of control the window is made of: labels that keep their mouse
// events to themselves, shapes and lines that are part of the window's own
// surface, and the completion button, which wraps its caption.

#include <QColor>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "shell/logic/control_table.h"

class QDropEvent;
class QMimeData;

namespace tessaline {

// A colour written as 0x00BBGGRR: blue in the high byte, red in the low one.
QColor BgrColor(Bgr bgr);

// Copy, or else link: a drop that could only move the file would have the
// application it came from delete it once the drop is over. False: refused.
bool ChooseSafeDropAction(QDropEvent* event);

// A label of the window. Qt hands a label's unused mouse events on to the
// window, where they would drag or throw it; these labels keep every mouse
// event, report clicks and moves, and may carry a thin frame.
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

 signals:
  // A left press and release over the label.
  void clicked();
  // Every move of the pointer over the label, with or without buttons.
  void pointerMoved();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  bool bordered_ = false;
  bool left_pressed_ = false;
  QColor frame_color_;
};

// The label files are dropped on. It takes any drop while it accepts drops
// (a drop without files still counts) and reports it; while it does not,
// the drag is refused and the pointer shows it.
class DropLabel : public NavyLabel {
  Q_OBJECT

 public:
  DropLabel(const QString& text, QWidget* parent);

 signals:
  void dropped(const QMimeData* data);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
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
  // From (x1, y) to (x2, y), both ends included.
  LineControl(int x1, int x2, int y, QWidget* parent);
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

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString caption_;
};

}  // namespace tessaline
