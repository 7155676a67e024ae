// A few seconds of flight, tick by tick, as the two 10 ms timers and the
// grace timer would drive it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "fake_motion_surface.h"
#include "shell/logic/window_motion.h"

namespace tessaline {
namespace {

TEST(FlightTest, ThrownWindowRisesFallsBouncesAndCrossesBetweenTheSides) {
  for (bool physics_first : {false, true}) {
    testing::FakeMotionSurface window;
    WindowMotion motion(window);
    window.left = 6000;
    window.top = 4000;
    // Hit low and left of the centre: up and to the right.
    motion.MouseRelease(kRightButton, window.width / 2 - 400, window.height / 2 + 300);
    const float floor = window.FloorTop();
    const float right = window.screen_width - window.width;
    float highest = window.top;
    int bounces = 0, side_contacts = 0;

    for (int tick = 0; tick < 800; ++tick) {  // 8 s
      if (tick == 50) motion.GraceTick();
      auto move = [&] {
        const int vx = std::abs(motion.VelocityX());
        motion.MoveTick();
        // Never further past a side edge than one tick's velocity.
        EXPECT_GE(window.left, -vx) << tick;
        EXPECT_LE(window.left, right + vx) << tick;
      };
      auto physics = [&] {
        const bool below = window.top > floor;
        const bool past_side = window.left < 0 || window.left > right;
        motion.PhysicsTick();
        // Back on the floor line whenever it had gone below.
        if (below) {
          ++bounces;
          EXPECT_EQ(window.top, floor) << tick;
        }
        if (past_side) {
          ++side_contacts;
          EXPECT_EQ(std::abs(motion.VelocityX()), 100) << tick;
        }
      };
      if (physics_first) physics();
      move();
      if (!physics_first) physics();
      highest = std::min(highest, window.top);
    }
    EXPECT_LT(highest, 3000);  // it flew up first
    EXPECT_GT(bounces, 3);
    EXPECT_GT(side_contacts, 1);
    EXPECT_FALSE(motion.InFlight());
    // It never comes to rest by itself.
    EXPECT_EQ(std::abs(motion.VelocityX()), 100);
    EXPECT_NE(motion.VelocityY(), 0);
  }
}

}  // namespace
}  // namespace tessaline
