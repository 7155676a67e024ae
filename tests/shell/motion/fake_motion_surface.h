#pragma once
// A window and screen in memory that record every position set.

#include <map>
#include <vector>

#include "shell/motion/window_motion.h"

namespace tessaline::testing {

struct PositionSet {
  enum Kind { Left, Top, Both } kind;
  float left;  // the window's Left after the set
  float top;   // the window's Top after the set
};

class FakeMotionSurface : public MotionSurface {
 public:
  // A 298 x 302 pixel window on a 1024 x 768 pixel screen.
  float left = 3000, top = 2000, width = 4470, height = 4530;
  float screen_width = 15360, screen_height = 11520;
  bool shown = true;
  int focus_given = 0;
  int labels_made_regular = 0;
  std::map<MotionTimer, bool> timers;
  std::vector<PositionSet> sets;

  float Left() const override { return left; }
  float Top() const override { return top; }
  float Width() const override { return width; }
  float Height() const override { return height; }
  void SetLeft(float value) override {
    left = value;
    sets.push_back({PositionSet::Left, left, top});
  }
  void SetTop(float value) override {
    top = value;
    sets.push_back({PositionSet::Top, left, top});
  }
  void MoveTo(float new_left, float new_top) override {
    left = new_left;
    top = new_top;
    sets.push_back({PositionSet::Both, left, top});
  }
  float ScreenWidth() const override { return screen_width; }
  float ScreenHeight() const override { return screen_height; }
  void SetTimerEnabled(MotionTimer timer, bool enabled) override { timers[timer] = enabled; }
  bool IsShown() const override { return shown; }
  void GiveFocus() override { ++focus_given; }
  void SetCommandLabelsRegular() override { ++labels_made_regular; }

  bool Enabled(MotionTimer timer) const {
    const auto found = timers.find(timer);
    return found != timers.end() && found->second;
  }
  float FloorTop() const { return screen_height - height; }
};

}  // namespace tessaline::testing
