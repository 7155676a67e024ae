#include "shell/qt/motion_binding.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>

namespace tessaline {

WidgetMotionSurface::WidgetMotionSurface(QWidget& window, QTimer& timer1, QTimer& timer3,
                                         QTimer& tmr_hit)
    : window_(window), timer1_(timer1), timer3_(timer3), tmr_hit_(tmr_hit) {}

QRect WidgetMotionSurface::ScreenGeometry() const {
  const QScreen* screen = window_.screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry() : QRect();
}

float WidgetMotionSurface::Left() const {
  return static_cast<float>(left_.Read(window_.pos().x(), ScreenGeometry().x()));
}

float WidgetMotionSurface::Top() const {
  return static_cast<float>(top_.Read(window_.pos().y(), ScreenGeometry().y()));
}

float WidgetMotionSurface::Width() const {
  return static_cast<float>(window_.frameGeometry().width() * kTwipsPerPixel);
}

float WidgetMotionSurface::Height() const {
  return static_cast<float>(window_.frameGeometry().height() * kTwipsPerPixel);
}

void WidgetMotionSurface::SetLeft(float left) {
  const int x = left_.Place(left, ScreenGeometry().x());
  window_.move(x, window_.pos().y());
}

void WidgetMotionSurface::SetTop(float top) {
  const int y = top_.Place(top, ScreenGeometry().y());
  window_.move(window_.pos().x(), y);
}

void WidgetMotionSurface::MoveTo(float left, float top) {
  const QRect screen = ScreenGeometry();
  const int x = left_.Place(left, screen.x());
  const int y = top_.Place(top, screen.y());
  window_.move(x, y);
}

float WidgetMotionSurface::ScreenWidth() const {
  return static_cast<float>(ScreenGeometry().width() * kTwipsPerPixel);
}

float WidgetMotionSurface::ScreenHeight() const {
  return static_cast<float>(ScreenGeometry().height() * kTwipsPerPixel);
}

void WidgetMotionSurface::SetTimerEnabled(MotionTimer timer, bool enabled) {
  QTimer& chosen = timer == MotionTimer::Move ? timer1_
                   : timer == MotionTimer::Physics ? timer3_
                                                   : tmr_hit_;
  // Enabling a running timer leaves its rhythm alone.
  if (!enabled) {
    chosen.stop();
  } else if (!chosen.isActive()) {
    chosen.start();
  }
}

bool WidgetMotionSurface::IsShown() const { return window_.isVisible(); }

void WidgetMotionSurface::GiveFocus() {
  window_.activateWindow();
  window_.setFocus(Qt::ActiveWindowFocusReason);
}

void WidgetMotionSurface::SetCommandLabelsRegular() {
  if (hover_out_) hover_out_();
}

QPointF WidgetMotionSurface::ToWindowTwips(QPointF global_pixels) const {
  // Measured from where the motion believes the window is, so that a drag
  // stays consistent even while the windowing system is still carrying out
  // the last move.
  const QRect screen = ScreenGeometry();
  const double x = (global_pixels.x() - screen.x()) * kTwipsPerPixel - Left();
  const double y = (global_pixels.y() - screen.y()) * kTwipsPerPixel - Top();
  return {static_cast<float>(x), static_cast<float>(y)};
}

MotionBinding::MotionBinding(QWidget& window, QObject* parent)
    : QObject(parent),
      surface_(window, timer1_, timer3_, tmr_hit_),
      motion_(surface_) {
  timer1_.setObjectName(QStringLiteral("Timer1"));
  timer3_.setObjectName(QStringLiteral("Timer3"));
  tmr_hit_.setObjectName(QStringLiteral("TmrHit"));
  for (QTimer* timer : {&timer1_, &timer3_}) {
    timer->setInterval(10);
    timer->setTimerType(Qt::PreciseTimer);
  }
  tmr_hit_.setInterval(500);
  tmr_hit_.setSingleShot(true);
  connect(&timer1_, &QTimer::timeout, this, [this] { motion_.MoveTick(); });
  connect(&timer3_, &QTimer::timeout, this, [this] { motion_.PhysicsTick(); });
  connect(&tmr_hit_, &QTimer::timeout, this, [this] { motion_.GraceTick(); });
  // Moves with no button held set the drag anchor and the labels' hover-out.
  window.setMouseTracking(true);
}

void MotionBinding::SetHoverOut(std::function<void()> hover_out) {
  surface_.SetHoverOut(std::move(hover_out));
}

int MotionBinding::ButtonBits(Qt::MouseButtons buttons) {
  int bits = 0;
  if (buttons & Qt::LeftButton) bits |= kLeftButton;
  if (buttons & Qt::RightButton) bits |= kRightButton;
  if (buttons & Qt::MiddleButton) bits |= kMiddleButton;
  return bits;
}

int MotionBinding::KeyCode(const QKeyEvent& event) {
  if (event.key() == Qt::Key_Escape) return kEscapeKey;
  const QString text = event.text();
  return text.isEmpty() ? 0 : static_cast<int>(text.at(0).unicode());
}

void MotionBinding::MousePress(const QMouseEvent& event) {
  const int button = ButtonBits(event.button());
  if (button == 0) return;
  const QPointF at = surface_.ToWindowTwips(event.globalPosition());
  motion_.MousePress(button, static_cast<float>(at.x()), static_cast<float>(at.y()));
}

void MotionBinding::MouseMove(const QMouseEvent& event) {
  const QPointF at = surface_.ToWindowTwips(event.globalPosition());
  motion_.MouseMove(ButtonBits(event.buttons()), static_cast<float>(at.x()),
                    static_cast<float>(at.y()));
}

void MotionBinding::MouseRelease(const QMouseEvent& event) {
  const int button = ButtonBits(event.button());
  if (button == 0) return;
  const QPointF at = surface_.ToWindowTwips(event.globalPosition());
  motion_.MouseRelease(button, static_cast<float>(at.x()), static_cast<float>(at.y()));
}

void MotionBinding::KeyPress(const QKeyEvent& event) { motion_.KeyPress(KeyCode(event)); }

}  // namespace tessaline
