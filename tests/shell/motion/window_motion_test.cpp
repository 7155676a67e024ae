#include "shell/motion/window_motion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "fake_motion_surface.h"

namespace tessaline {
namespace {

using testing::FakeMotionSurface;
using testing::PositionSet;

class WindowMotionTest : public ::testing::Test {
 protected:
  // Releases the right button at the point that gives these velocities.
  void HitFor(double velocity_x, double velocity_y) {
    motion.MouseRelease(kRightButton, static_cast<float>(window.width / 2 - 5 * velocity_x),
                        static_cast<float>(window.height / 2 - 2 * velocity_y));
  }
  // A hit at this offset from the window's centre.
  void HitAt(float dx, float dy) {
    motion.MouseRelease(kRightButton, window.width / 2 + dx, window.height / 2 + dy);
  }
  bool AllTimers(bool enabled) const {
    return window.Enabled(MotionTimer::Move) == enabled &&
           window.Enabled(MotionTimer::Physics) == enabled &&
           window.Enabled(MotionTimer::Grace) == enabled;
  }

  FakeMotionSurface window;
  WindowMotion motion{window};
};

TEST_F(WindowMotionTest, HitSendsTheWindowAwayFromThePointHitAndStartsTheGracePeriod) {
  HitAt(0, 0);
  EXPECT_EQ(motion.VelocityX(), 0);
  EXPECT_EQ(motion.VelocityY(), 0);
  EXPECT_TRUE(AllTimers(true));
  EXPECT_TRUE(motion.InFlight());

  motion.GraceTick();
  HitAt(100, 300);  // right of and below the centre: left and up
  EXPECT_EQ(motion.VelocityX(), -20);
  EXPECT_EQ(motion.VelocityY(), -150);
}

TEST_F(WindowMotionTest, HitVelocitiesRoundHalfToEven) {
  const struct {
    float dx, dy;
    std::int16_t vx, vy;
  } cases[] = {
      {0, -15, 0, 8},      // 7.5
      {0, 15, 0, -8},      // -7.5
      {0, 45, 0, -22},     // -22.5
      {12.5f, 0, -2, 0},   // -2.5
      {-37.5f, 0, 8, 0},   // 7.5
  };
  for (const auto& c : cases) {
    HitAt(c.dx, c.dy);
    EXPECT_EQ(motion.VelocityX(), c.vx) << c.dx;
    EXPECT_EQ(motion.VelocityY(), c.vy) << c.dy;
    motion.GraceTick();
  }
}

TEST_F(WindowMotionTest, HitVelocitiesSaturateInsteadOfWrapping) {
  // A release far outside the window, as the pointer may end up anywhere.
  HitAt(-400000, -100000);
  EXPECT_EQ(motion.VelocityX(), 32767);
  EXPECT_EQ(motion.VelocityY(), 32767);
  motion.GraceTick();
  HitAt(400000, 100000);
  EXPECT_EQ(motion.VelocityX(), -32768);
  EXPECT_EQ(motion.VelocityY(), -32768);
}

TEST_F(WindowMotionTest, OnlyARightReleaseOutsideTheGracePeriodHits) {
  motion.MouseRelease(kLeftButton, 0, 0);
  motion.MouseRelease(kMiddleButton, 0, 0);
  EXPECT_FALSE(motion.InFlight());
  EXPECT_TRUE(window.timers.empty());

  HitAt(50, 0);
  HitAt(-500, -500);  // within the grace period: ignored
  EXPECT_EQ(motion.VelocityX(), -10);
  EXPECT_EQ(motion.VelocityY(), 0);

  motion.GraceTick();
  EXPECT_FALSE(motion.InFlight());
  EXPECT_FALSE(window.Enabled(MotionTimer::Grace));
  EXPECT_TRUE(window.Enabled(MotionTimer::Move));
  EXPECT_EQ(window.focus_given, 1);
  HitAt(-500, -500);  // flying, the grace period over: thrown again
  EXPECT_EQ(motion.VelocityX(), 100);
  EXPECT_EQ(motion.VelocityY(), 250);
  EXPECT_TRUE(motion.InFlight());
}

TEST_F(WindowMotionTest, GraceTickWhileHiddenGivesNoFocusButEndsTheGracePeriod) {
  HitAt(0, 0);
  window.shown = false;
  motion.GraceTick();
  EXPECT_EQ(window.focus_given, 0);
  EXPECT_FALSE(motion.InFlight());
  EXPECT_FALSE(window.Enabled(MotionTimer::Grace));
}

TEST_F(WindowMotionTest, MoveTickAddsTheVelocitiesSideThenTop) {
  HitFor(-7, 12);
  window.sets.clear();
  motion.MoveTick();
  ASSERT_EQ(window.sets.size(), 2u);
  EXPECT_EQ(window.sets[0].kind, PositionSet::Left);
  EXPECT_EQ(window.sets[0].left, 2993);
  EXPECT_EQ(window.sets[1].kind, PositionSet::Top);
  EXPECT_EQ(window.sets[1].top, 2012);
}

TEST_F(WindowMotionTest, BottomBounceTurnsTheVerticalVelocityWithLoss) {
  const std::pair<int, int> cases[] = {{10, -8}, {9, -8}, {6, -5}, {3, -2},
                                       {1, -1},  {0, 0},  {-9, 8}, {-32768, 27307}};
  for (const auto& [before, after] : cases) {
    HitFor(0, before);
    ASSERT_EQ(motion.VelocityY(), before);
    window.top = window.FloorTop() + 1;
    motion.PhysicsTick();
    // Back on the floor line, where gravity does not act in the same tick.
    EXPECT_EQ(motion.VelocityY(), after) << before;
    EXPECT_EQ(window.top, window.FloorTop());
    motion.GraceTick();
  }
}

TEST_F(WindowMotionTest, GravityActsOnlyStrictlyAboveTheFloorLine) {
  HitFor(0, 0);
  window.top = window.FloorTop();
  window.sets.clear();
  motion.PhysicsTick();
  EXPECT_EQ(motion.VelocityY(), 0);
  EXPECT_TRUE(window.sets.empty());  // at rest on the floor line

  window.top = window.FloorTop() - 0.5f;
  motion.PhysicsTick();
  EXPECT_EQ(motion.VelocityY(), 5);
}

TEST_F(WindowMotionTest, GravitySaturatesAtTheTopOfTheRange) {
  HitFor(0, 32765);
  window.top = 0;
  motion.PhysicsTick();
  EXPECT_EQ(motion.VelocityY(), 32767);
  motion.PhysicsTick();
  EXPECT_EQ(motion.VelocityY(), 32767);
}

TEST_F(WindowMotionTest, SideEdgesSendTheWindowBackAtFixedSpeed) {
  const float right_limit = window.screen_width - window.width;
  const struct {
    float left;
    int before, after;
  } cases[] = {
      {0, -37, -37},    {right_limit, 37, 37},  // exactly on an edge: nothing
      {-1, -37, 100},   {-1, 250, 100},         // past the left edge, whatever the sign
      {right_limit + 1, 37, -100}, {right_limit + 1, -250, -100},
  };
  for (const auto& c : cases) {
    HitFor(c.before, 0);
    window.left = c.left;
    window.top = window.FloorTop();
    motion.PhysicsTick();
    EXPECT_EQ(motion.VelocityX(), c.after) << c.left << " " << c.before;
    EXPECT_EQ(window.left, c.left);  // the edges do not move the window back
    motion.GraceTick();
  }
}

TEST_F(WindowMotionTest, WindowWiderThanTheScreenIsSentLeft) {
  window.width = 20000;
  window.left = -100;
  HitFor(3, 0);
  motion.PhysicsTick();
  EXPECT_EQ(motion.VelocityX(), -100);
}

TEST_F(WindowMotionTest, LeftDragMovesTheWindowInOneStepKeepingThePointerOnIt) {
  motion.MouseMove(0, 1000, 1200);
  motion.MouseMove(kLeftButton, 1150, 1100);
  ASSERT_EQ(window.sets.size(), 1u);
  EXPECT_EQ(window.sets[0].kind, PositionSet::Both);
  EXPECT_EQ(window.left, 3150);
  EXPECT_EQ(window.top, 1900);
  EXPECT_EQ(window.labels_made_regular, 2);
}

TEST_F(WindowMotionTest, LeftDragAnchorsWhereTheButtonWentDown) {
  // No move over the window before the press: the window must not jump.
  motion.MousePress(kLeftButton, 2000, 2100);
  motion.MouseMove(kLeftButton, 2000, 2100);
  EXPECT_EQ(window.left, 3000);
  EXPECT_EQ(window.top, 2000);
  motion.MouseMove(kLeftButton, 2030, 2090);
  EXPECT_EQ(window.left, 3030);
  EXPECT_EQ(window.top, 1990);
  // Other buttons going down leave the anchor alone.
  motion.MousePress(kRightButton, 10, 10);
  EXPECT_EQ(motion.GrabX(), 2000);
  EXPECT_EQ(motion.GrabY(), 2100);
}

TEST_F(WindowMotionTest, MovingWithOtherButtonsOnlyUpdatesTheAnchor) {
  for (int buttons : {0, kRightButton, kLeftButton | kRightButton, kMiddleButton}) {
    motion.MouseMove(buttons, 700.5f, 800.25f);
    EXPECT_EQ(motion.GrabX(), 700.5f);
    EXPECT_EQ(motion.GrabY(), 800.25f);
  }
  EXPECT_TRUE(window.sets.empty());
  EXPECT_EQ(window.labels_made_regular, 4);
}

TEST_F(WindowMotionTest, GrabStopsAFlightOnlyAfterTheGracePeriod) {
  HitAt(100, 100);
  motion.MouseMove(kLeftButton, 500, 500);
  EXPECT_TRUE(AllTimers(true));  // grace: the drag moves, the flight goes on

  motion.GraceTick();
  motion.MouseMove(kLeftButton, 520, 500);
  EXPECT_TRUE(AllTimers(false));
  // The velocities are kept for nobody; the next hit replaces them.
  EXPECT_EQ(motion.VelocityX(), -20);
  EXPECT_EQ(motion.VelocityY(), -50);
  motion.MouseMove(0, 520, 500);
  EXPECT_TRUE(AllTimers(false));
}

TEST_F(WindowMotionTest, EscStopsEverythingAndPutsTheCornerOnTheScreenCentre) {
  HitAt(100, 100);
  window.sets.clear();
  motion.KeyPress(kEscapeKey);
  EXPECT_TRUE(AllTimers(false));
  EXPECT_FALSE(motion.InFlight());
  ASSERT_EQ(window.sets.size(), 2u);
  EXPECT_EQ(window.sets[0].kind, PositionSet::Top);
  EXPECT_EQ(window.sets[1].kind, PositionSet::Left);
  EXPECT_EQ(window.top, 11520 / 2 - 4530);
  EXPECT_EQ(window.left, 15360 / 2 - 4470);
  EXPECT_EQ(motion.VelocityX(), -20);

  // At rest, too; and other keys do nothing.
  window.left = window.top = 0;
  motion.KeyPress('a');
  motion.KeyPress(13);
  EXPECT_EQ(window.left, 0);
  motion.KeyPress(kEscapeKey);
  EXPECT_EQ(window.left, 3210);
  EXPECT_EQ(window.top, 1230);
}

TEST_F(WindowMotionTest, GeometryIsReadAfreshOnEveryTick) {
  HitFor(0, 20);
  window.top = 6000;
  motion.PhysicsTick();
  EXPECT_EQ(window.top, 6000);  // above the floor of a 1024 x 768 screen

  window.screen_height = 9000;  // the screen shrinks under the window
  motion.PhysicsTick();
  EXPECT_EQ(window.top, 9000 - 4530);
}

}  // namespace
}  // namespace tessaline
