#pragma once
// The window's motion: dragging with the left button, throwing it with the
// right one (it then flies, falls, bounces on the bottom edge and is sent
// back from the side edges) and placing it with Esc.
//
// Plain code over a few operations of the window (MotionSurface), so that it
// runs without a windowing system. All lengths are twips; positions are
// single-precision as the windowing system reports them, the arithmetic is
// double precision and velocities are 16-bit, rounded half to even.

#include <cstdint>

namespace tessaline {

// Mouse buttons, as a set of bits.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

inline constexpr int kEscapeKey = 27;

// The three timers of the main window that drive the motion.
enum class MotionTimer {
  Move,     // Timer1, 10 ms: moves the window by its velocity
  Physics,  // Timer3, 10 ms: bottom bounce, gravity, side edges
  Grace,    // TmrHit, 500 ms, acts once: the grace period after a hit
};

// What the motion needs of the window and the screen.
class MotionSurface {
 public:
  virtual ~MotionSurface() = default;

  // Outer position and size of the window, in twips, the position relative
  // to the top-left corner of the screen the window is on.
  virtual float Left() const = 0;
  virtual float Top() const = 0;
  virtual float Width() const = 0;
  virtual float Height() const = 0;
  virtual void SetLeft(float left) = 0;
  virtual void SetTop(float top) = 0;
  virtual void MoveTo(float left, float top) = 0;  // in one step

  // Full size of that screen, in twips.
  virtual float ScreenWidth() const = 0;
  virtual float ScreenHeight() const = 0;

  virtual void SetTimerEnabled(MotionTimer timer, bool enabled) = 0;

  virtual bool IsShown() const = 0;
  virtual void GiveFocus() = 0;

  // Both command labels ("X" and "/") back to regular weight.
  virtual void SetCommandLabelsRegular() = 0;
};

class WindowMotion {
 public:
  explicit WindowMotion(MotionSurface& surface) : surface_(surface) {}
  WindowMotion(const WindowMotion&) = delete;
  WindowMotion& operator=(const WindowMotion&) = delete;

  // Events of the window's own surface. X and Y are twips relative to the
  // window's top-left corner; `buttons` is the set of buttons held, `button`
  // the one pressed or released.
  void MousePress(int button, float x, float y);
  void MouseMove(int buttons, float x, float y);
  void MouseRelease(int button, float x, float y);
  void KeyPress(int code);

  void MoveTick();     // Timer1
  void PhysicsTick();  // Timer3
  void GraceTick();    // TmrHit

  std::int16_t VelocityX() const { return velocity_x_; }
  std::int16_t VelocityY() const { return velocity_y_; }
  bool InFlight() const { return in_flight_; }
  float GrabX() const { return grab_x_; }
  float GrabY() const { return grab_y_; }

  // Hit divisors, bounce divisor, gravity and side-edge speed.
  static constexpr double kHorizontalHitDivisor = 5;
  static constexpr double kVerticalHitDivisor = 2;
  static constexpr double kBounceDivisor = 1.2;
  static constexpr int kGravity = 5;
  static constexpr std::int16_t kSideSpeed = 100;

 private:
  void StopTimers();
  // The floor line: the screen's height minus the window's, in single
  // precision as the windowing system would hold it.
  float FloorTop() const;

  MotionSurface& surface_;
  std::int16_t velocity_x_ = 0;
  std::int16_t velocity_y_ = 0;
  bool in_flight_ = false;
  float grab_x_ = 0;
  float grab_y_ = 0;
};

}  // namespace tessaline
