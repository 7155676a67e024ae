// A few seconds of flight, tick by tick, as the two 10 ms timers and the
// grace timer would drive it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "fake_motion_surface.h"
#include "shell/motion/window_motion.h"

namespace tessaline {
namespace {

using testing::FakeMotionSurface;

struct FlightRecord {
  bool bounced = false;
  bool touched_a_side = false;
  float highest_top = 1e9f;
  int sign_changes_of_vx = 0;
};

// Runs `ticks` rounds of a move tick followed by a physics tick (or the
// other way round), with the grace tick after 500 ms, and checks on every
// tick that the window stays within the limits of the motion.
FlightRecord Fly(FakeMotionSurface& window, WindowMotion& motion, int ticks, bool physics_first) {
  FlightRecord record;
  const float floor = window.FloorTop();
  const float right_limit = window.screen_width - window.width;
  for (int tick = 0; tick < ticks; ++tick) {
    if (tick == 50) motion.GraceTick();
    const int vx_before = motion.VelocityX();
    auto move = [&] {
      const int vx = motion.VelocityX();
      motion.MoveTick();
      // Never further past a side edge than one tick's velocity.
      EXPECT_GE(window.left, -std::abs(vx)) << "tick " << tick;
      EXPECT_LE(window.left, right_limit + std::abs(vx)) << "tick " << tick;
    };
    auto physics = [&] {
      const bool below = window.top > floor;
      const bool past_side = window.left < 0 || window.left > right_limit;
      motion.PhysicsTick();
      if (below) {
        EXPECT_EQ(window.top, floor) << "tick " << tick;
        record.bounced = true;
      }
      EXPECT_LE(window.top, floor) << "tick " << tick;
      if (past_side) {
        record.touched_a_side = true;
        EXPECT_EQ(std::abs(motion.VelocityX()), WindowMotion::kSideSpeed);
      }
    };
    if (physics_first) {
      physics();
      move();
    } else {
      move();
      physics();
    }
    record.highest_top = std::min(record.highest_top, window.top);
    if ((vx_before < 0) != (motion.VelocityX() < 0)) ++record.sign_changes_of_vx;
  }
  return record;
}

TEST(FlightTest, ThrownWindowRisesFallsBouncesAndCrossesBetweenTheSides) {
  for (bool physics_first : {false, true}) {
    FakeMotionSurface window;
    WindowMotion motion(window);
    window.left = 6000;
    window.top = 4000;
    // Hit low and left of the centre: up and to the right.
    motion.MouseRelease(kRightButton, window.width / 2 - 400, window.height / 2 + 300);
    ASSERT_EQ(motion.VelocityX(), 80);
    ASSERT_EQ(motion.VelocityY(), -150);

    const FlightRecord record = Fly(window, motion, 800, physics_first);
    EXPECT_LT(record.highest_top, 4000 - 1000);  // it flew up first
    EXPECT_TRUE(record.bounced);
    EXPECT_TRUE(record.touched_a_side);
    EXPECT_GE(record.sign_changes_of_vx, 2);  // sent back from both sides
    EXPECT_FALSE(motion.InFlight());
    // It never comes to rest by itself.
    EXPECT_EQ(std::abs(motion.VelocityX()), WindowMotion::kSideSpeed);
  }
}

TEST(FlightTest, WindowDroppedAtItsCentreFallsStraightDownAndKeepsHopping) {
  FakeMotionSurface window;
  WindowMotion motion(window);
  motion.MouseRelease(kRightButton, window.width / 2, window.height / 2);
  const FlightRecord record = Fly(window, motion, 300, false);
  EXPECT_EQ(window.left, 3000);
  EXPECT_TRUE(record.bounced);
  EXPECT_FALSE(record.touched_a_side);
  EXPECT_NE(motion.VelocityY(), 0);
}

TEST(FlightTest, GrabAfterTheGracePeriodLeavesTheWindowWhereItIsDropped) {
  FakeMotionSurface window;
  WindowMotion motion(window);
  motion.MouseRelease(kRightButton, window.width / 2 + 200, window.height / 2);
  Fly(window, motion, 60, false);
  motion.MousePress(kLeftButton, 100, 100);
  motion.MouseMove(kLeftButton, 130, 100);
  const float left = window.left, top = window.top;
  // The timers are off now: a real window would get no more ticks.
  EXPECT_FALSE(window.Enabled(MotionTimer::Move));
  EXPECT_FALSE(window.Enabled(MotionTimer::Physics));
  motion.MouseMove(0, 130, 100);
  EXPECT_EQ(window.left, left);
  EXPECT_EQ(window.top, top);
}

}  // namespace
}  // namespace tessaline
