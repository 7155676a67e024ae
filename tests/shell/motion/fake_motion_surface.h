#pragma once
// A window and screen in memory that record every position set.

#include <map>
#include <vector>

#include "shell/logic/window_motion.h"

namespace tessaline::testing {

class FakeMotionSurface : public MotionSurface {
 public:
  enum SetKind { kLeft, kTop, kBoth };
  struct PositionSet {
    SetKind kind;
    float left, top;  // the window's position after the set
  };

  // A 298 x 302 pixel window on a 1024 x 768 pixel screen.
  float left = 3000, top = 2000, width = 4470, height = 4530;
  float screen_width = 15360, screen_height = 11520;
  bool shown = true;
  int focus_given = 0, labels_made_regular = 0;
  std::map<MotionTimer, bool> timers;
  std::vector<PositionSet> sets;

  float Left() const override { return left; }
  float Top() const override { return top; }
  float Width() const override { return width; }
  float Height() const override { return height; }
  void SetLeft(float value) override { Record(kLeft, value, top); }
  void SetTop(float value) override { Record(kTop, left, value); }
  void MoveTo(float l, float t) override { Record(kBoth, l, t); }
  float ScreenWidth() const override { return screen_width; }
  float ScreenHeight() const override { return screen_height; }
  void SetTimerEnabled(MotionTimer timer, bool enabled) override { timers[timer] = enabled; }
  bool IsShown() const override { return shown; }
  void GiveFocus() override { ++focus_given; }
  void SetCommandLabelsRegular() override { ++labels_made_regular; }

  bool Enabled(MotionTimer timer) const { return timers.count(timer) && timers.at(timer); }
  float FloorTop() const { return screen_height - height; }

 private:
  void Record(SetKind kind, float l, float t) {
    left = l;
    top = t;
    sets.push_back({kind, l, t});
  }
};

}  // namespace tessaline::testing
