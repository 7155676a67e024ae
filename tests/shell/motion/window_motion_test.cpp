#include "shell/logic/window_motion.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "fake_motion_surface.h"

namespace tessaline {
namespace {

using Surface = testing::FakeMotionSurface;

class WindowMotionTest : public ::testing::Test {
 protected:
  // A right-button release at this offset from the window's centre.
  void HitAt(float dx, float dy) {
    motion.MouseRelease(kRightButton, window.width / 2 + dx, window.height / 2 + dy);
  }
  // A hit that gives these velocities.
  void HitFor(double vx, double vy) { HitAt(static_cast<float>(-5 * vx), static_cast<float>(-2 * vy)); }
  bool AllTimers(bool enabled) const {
    return window.Enabled(MotionTimer::Move) == enabled &&
           window.Enabled(MotionTimer::Physics) == enabled &&
           window.Enabled(MotionTimer::Grace) == enabled;
  }

  Surface window;
  WindowMotion motion{window};
};

TEST_F(WindowMotionTest, HitVelocitiesPointAwayRoundHalfToEvenAndSaturate) {
  const struct {
    float dx, dy;
    std::int16_t vx, vy;
  } cases[] = {
      {0, 0, 0, 0},          {100, 300, -20, -150}, {0, -15, 0, 8},  {0, 15, 0, -8},
      {0, 45, 0, -22},       {12.5f, 0, -2, 0},     {-37.5f, 0, 8, 0},
      {-4e5f, -1e5f, 32767, 32767},  // released far outside the window
      {4e5f, 1e5f, -32768, -32768},
  };
  for (const auto& c : cases) {
    HitAt(c.dx, c.dy);
    EXPECT_EQ(motion.VelocityX(), c.vx) << c.dx;
    EXPECT_EQ(motion.VelocityY(), c.vy) << c.dy;
    EXPECT_TRUE(AllTimers(true));
    EXPECT_TRUE(motion.InFlight());
    motion.GraceTick();
  }
}

TEST_F(WindowMotionTest, OnlyARightReleaseOutsideTheGracePeriodHits) {
  motion.MouseRelease(kLeftButton, 0, 0);
  motion.MouseRelease(kMiddleButton, 0, 0);
  EXPECT_TRUE(window.timers.empty());

  HitAt(50, 0);
  HitAt(-500, -500);  // within the grace period: ignored
  EXPECT_EQ(motion.VelocityX(), -10);
  motion.GraceTick();
  EXPECT_FALSE(motion.InFlight());
  EXPECT_FALSE(window.Enabled(MotionTimer::Grace));
  EXPECT_TRUE(window.Enabled(MotionTimer::Move));
  EXPECT_EQ(window.focus_given, 1);
  HitAt(-500, -500);  // flying after the grace period: thrown again
  EXPECT_EQ(motion.VelocityX(), 100);
  EXPECT_EQ(motion.VelocityY(), 250);

  // Hidden in the notification area: no focus, but the grace period ends.
  window.shown = false;
  motion.GraceTick();
  EXPECT_EQ(window.focus_given, 1);
  EXPECT_FALSE(motion.InFlight());
}

TEST_F(WindowMotionTest, BottomBounceTurnsTheVelocityWithLossOntoTheFloorLine) {
  const std::pair<int, int> cases[] = {{10, -8}, {9, -8}, {6, -5}, {3, -2},
                                       {1, -1},  {0, 0},  {-9, 8}, {-32768, 27307}};
  for (const auto& [before, after] : cases) {
    HitFor(0, before);
    window.top = window.FloorTop() + 1;
    motion.PhysicsTick();
    // Gravity does not act in the tick that bounced.
    EXPECT_EQ(motion.VelocityY(), after) << before;
    EXPECT_EQ(window.top, window.FloorTop());
    motion.GraceTick();
  }
}

TEST_F(WindowMotionTest, GravityActsOnlyStrictlyAboveTheFloorLineAndSaturates) {
  HitFor(0, 0);
  window.top = window.FloorTop();
  window.sets.clear();
  motion.PhysicsTick();
  EXPECT_EQ(motion.VelocityY(), 0);
  EXPECT_TRUE(window.sets.empty());  // at rest on the floor line

  window.top = window.FloorTop() - 0.5f;
  motion.PhysicsTick();
  EXPECT_EQ(motion.VelocityY(), 5);

  motion.GraceTick();
  HitFor(0, 32765);
  motion.PhysicsTick();
  motion.PhysicsTick();
  EXPECT_EQ(motion.VelocityY(), 32767);
}

TEST_F(WindowMotionTest, SideEdgesSendTheWindowBackAtFixedSpeed) {
  const float right = window.screen_width - window.width;
  const struct {
    float left, width;
    int before, after;
  } cases[] = {
      {0, 4470, -37, -37},  {right, 4470, 37, 37},  // exactly on an edge
      {-1, 4470, -37, 100}, {-1, 4470, 250, 100},   // whatever the sign
      {right + 1, 4470, 37, -100},
      {-100, 20000, 3, -100},  // wider than the screen: the right edge wins
  };
  for (const auto& c : cases) {
    window.width = c.width;
    HitFor(c.before, 0);
    window.left = c.left;
    window.top = window.FloorTop();
    motion.PhysicsTick();
    EXPECT_EQ(motion.VelocityX(), c.after) << c.left << " " << c.before;
    EXPECT_EQ(window.left, c.left);  // the edges do not move the window back
    motion.GraceTick();
  }
}

TEST_F(WindowMotionTest, LeftDragMovesInOneStepFromTheAnchor) {
  // No move over the window before the press: the window must not jump.
  motion.MousePress(kLeftButton, 2000, 2100);
  motion.MouseMove(kLeftButton, 2000, 2100);
  EXPECT_EQ(window.left, 3000);
  motion.MouseMove(kLeftButton, 2030, 2090);
  ASSERT_EQ(window.sets.size(), 2u);
  EXPECT_EQ(window.sets[1].kind, Surface::kBoth);
  EXPECT_EQ(window.left, 3030);
  EXPECT_EQ(window.top, 1990);

  // Other buttons, alone or with the left one, only move the anchor.
  motion.MousePress(kRightButton, 10, 10);
  for (int buttons : {0, kRightButton, kLeftButton | kRightButton, kMiddleButton}) {
    motion.MouseMove(buttons, 700.5f, 800.25f);
  }
  EXPECT_EQ(window.sets.size(), 2u);
  motion.MouseMove(kLeftButton, 710.5f, 800.25f);
  EXPECT_EQ(window.left, 3040);
  EXPECT_EQ(window.labels_made_regular, 7);  // on every move
}

TEST_F(WindowMotionTest, GrabStopsAFlightOnlyAfterTheGracePeriod) {
  HitAt(100, 100);
  motion.MouseMove(kLeftButton, 500, 500);
  EXPECT_TRUE(AllTimers(true));  // the drag moves, the flight goes on
  motion.GraceTick();
  motion.MouseMove(kLeftButton, 520, 500);
  EXPECT_TRUE(AllTimers(false));
  EXPECT_EQ(motion.VelocityX(), -20);  // kept until the next hit
}

TEST_F(WindowMotionTest, EscStopsEverythingAndPutsTheCornerOnTheScreenCentre) {
  HitAt(100, 100);
  window.sets.clear();
  motion.KeyPress('a');
  EXPECT_TRUE(window.sets.empty());
  motion.KeyPress(kEscapeKey);
  EXPECT_TRUE(AllTimers(false));
  EXPECT_FALSE(motion.InFlight());
  ASSERT_EQ(window.sets.size(), 2u);
  EXPECT_EQ(window.sets[0].kind, Surface::kTop);
  EXPECT_EQ(window.top, 11520 / 2 - 4530);
  EXPECT_EQ(window.left, 15360 / 2 - 4470);
}

}  // namespace
}  // namespace tessaline
