#pragma once
// The window side of the motion: the three timers, the conversion between
// the window's pixels and twips, and the screen the window is on.

#include <QObject>
#include <QPointF>
#include <QRect>
#include <QTimer>
#include <functional>

#include "shell/logic/twips_axis.h"
#include "shell/logic/window_motion.h"

class QKeyEvent;
class QMouseEvent;
class QWidget;

namespace tessaline {

// Twips per device-independent pixel.
inline constexpr double kTwipsPerPixel = 15;

// MotionSurface over a top-level widget. Positions are relative to the
// top-left corner of the full geometry (not the available area) of the
// screen the window is on.
class WidgetMotionSurface : public MotionSurface {
 public:
  WidgetMotionSurface(QWidget& window, QTimer& timer1, QTimer& timer3, QTimer& tmr_hit);

  float Left() const override;
  float Top() const override;
  float Width() const override;
  float Height() const override;
  void SetLeft(float left) override;
  void SetTop(float top) override;
  void MoveTo(float left, float top) override;
  float ScreenWidth() const override;
  float ScreenHeight() const override;
  void SetTimerEnabled(MotionTimer timer, bool enabled) override;
  bool IsShown() const override;
  void GiveFocus() override;
  void SetCommandLabelsRegular() override;

  void SetHoverOut(std::function<void()> hover_out) { hover_out_ = std::move(hover_out); }

  // A global pointer position in pixels, as twips from the window's
  // top-left corner.
  QPointF ToWindowTwips(QPointF global_pixels) const;

  static constexpr int kFarthestPixel = TwipsAxis::kFarthestPixel;

 private:
  QRect ScreenGeometry() const;

  QWidget& window_;
  QTimer& timer1_;
  QTimer& timer3_;
  QTimer& tmr_hit_;
  std::function<void()> hover_out_;
  TwipsAxis left_{kTwipsPerPixel};
  TwipsAxis top_{kTwipsPerPixel};
};

// Owns Timer1, Timer3 and TmrHit and the motion state, and takes the events
// of the window's own surface (not those of its labels).
class MotionBinding : public QObject {
  Q_OBJECT

 public:
  explicit MotionBinding(QWidget& window, QObject* parent = nullptr);

  // Called on every mouse move over the window: both command labels go back
  // to regular weight.
  void SetHoverOut(std::function<void()> hover_out);

  void MousePress(const QMouseEvent& event);
  void MouseMove(const QMouseEvent& event);
  void MouseRelease(const QMouseEvent& event);
  // Passes the key's code on; the event is neither accepted nor ignored here.
  void KeyPress(const QKeyEvent& event);

  QTimer& Timer1() { return timer1_; }
  QTimer& Timer3() { return timer3_; }
  QTimer& TmrHit() { return tmr_hit_; }
  WidgetMotionSurface& Surface() { return surface_; }
  WindowMotion& Motion() { return motion_; }

  // Qt's mouse buttons as the motion's set of bits; other buttons are left out.
  static int ButtonBits(Qt::MouseButtons buttons);
  // The character code of a key: 27 for Esc.
  static int KeyCode(const QKeyEvent& event);

 private:
  QTimer timer1_;
  QTimer timer3_;
  QTimer tmr_hit_;
  WidgetMotionSurface surface_;
  WindowMotion motion_;
};

}  // namespace tessaline
