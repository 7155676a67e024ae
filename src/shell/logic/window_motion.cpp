#include "shell/logic/window_motion.h"

#include "formats/rounding.h"

namespace tessaline {

namespace {

// Velocities saturate rather than wrap: a release point far outside the
// window, or a very long fall, must not turn a fast window round.
std::int16_t ToVelocity(double value) { return RoundToInt16Saturated(value); }

}  // namespace

void WindowMotion::StopTimers() {
  surface_.SetTimerEnabled(MotionTimer::Move, false);
  surface_.SetTimerEnabled(MotionTimer::Physics, false);
  surface_.SetTimerEnabled(MotionTimer::Grace, false);
}

float WindowMotion::FloorTop() const {
  return static_cast<float>(static_cast<double>(surface_.ScreenHeight()) -
                            static_cast<double>(surface_.Height()));
}

void WindowMotion::MousePress(int button, float x, float y) {
  // Anchor the drag where the left button goes down, so that a press with no
  // mouse move before it does not make the window jump to the pointer.
  if (button == kLeftButton) {
    grab_x_ = x;
    grab_y_ = y;
  }
}

void WindowMotion::MouseMove(int buttons, float x, float y) {
  const bool left_alone = buttons == kLeftButton;
  if (left_alone) {
    const double left = surface_.Left();
    const double top = surface_.Top();
    surface_.MoveTo(static_cast<float>(left + (static_cast<double>(x) - grab_x_)),
                    static_cast<float>(top + (static_cast<double>(y) - grab_y_)));
  } else {
    grab_x_ = x;
    grab_y_ = y;
  }
  surface_.SetCommandLabelsRegular();
  // A grab ends a flight, but not during the grace period after the hit.
  if (left_alone && !in_flight_) StopTimers();
}

void WindowMotion::MouseRelease(int button, float x, float y) {
  if (button != kRightButton || in_flight_) return;
  surface_.SetTimerEnabled(MotionTimer::Move, true);
  surface_.SetTimerEnabled(MotionTimer::Physics, true);
  const double half_width = static_cast<double>(surface_.Width()) / 2;
  const double half_height = static_cast<double>(surface_.Height()) / 2;
  velocity_x_ = ToVelocity(-((static_cast<double>(x) - half_width) / kHorizontalHitDivisor));
  velocity_y_ = ToVelocity(-((static_cast<double>(y) - half_height) / kVerticalHitDivisor));
  surface_.SetTimerEnabled(MotionTimer::Grace, true);
  in_flight_ = true;
}

void WindowMotion::KeyPress(int code) {
  if (code != kEscapeKey) return;
  StopTimers();
  in_flight_ = false;
  // The window's bottom-right corner goes on the centre of the screen.
  surface_.SetTop(static_cast<float>(static_cast<double>(surface_.ScreenHeight()) / 2 -
                                     static_cast<double>(surface_.Height())));
  surface_.SetLeft(static_cast<float>(static_cast<double>(surface_.ScreenWidth()) / 2 -
                                      static_cast<double>(surface_.Width())));
}

void WindowMotion::MoveTick() {
  surface_.SetLeft(static_cast<float>(static_cast<double>(surface_.Left()) + velocity_x_));
  surface_.SetTop(static_cast<float>(static_cast<double>(surface_.Top()) + velocity_y_));
}

void WindowMotion::PhysicsTick() {
  if (surface_.Top() > FloorTop()) {
    velocity_y_ = ToVelocity(-(static_cast<double>(velocity_y_) / kBounceDivisor));
    surface_.SetTop(FloorTop());
  }
  // Exactly on the floor line there is no gravity, so a window lying there
  // at rest stays put, and a bounce is not weakened by the tick it happens in.
  if (surface_.Top() < FloorTop()) {
    velocity_y_ = ToVelocity(static_cast<double>(velocity_y_) + kGravity);
  }
  if (surface_.Left() < 0) velocity_x_ = kSideSpeed;
  const float right_limit = static_cast<float>(static_cast<double>(surface_.ScreenWidth()) -
                                               static_cast<double>(surface_.Width()));
  if (surface_.Left() > right_limit) velocity_x_ = -kSideSpeed;
}

void WindowMotion::GraceTick() {
  // Hidden in the notification area, the window cannot take the focus; the
  // grace period still ends.
  if (surface_.IsShown()) surface_.GiveFocus();
  in_flight_ = false;
  surface_.SetTimerEnabled(MotionTimer::Grace, false);
}

}  // namespace tessaline
