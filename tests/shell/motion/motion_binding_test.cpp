#include "shell/qt/motion_binding.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>

namespace tessaline {
namespace {

class MotionBindingTest : public ::testing::Test {
 protected:
  MotionBindingTest() {
    window.resize(298, 302);
    window.move(screen.topLeft() + QPoint(100, 50));
    window.show();
    binding.SetHoverOut([this] { ++hover_outs; });
  }
  // A mouse event at a global pixel position.
  static QMouseEvent Mouse(QEvent::Type type, QPointF global, Qt::MouseButton button,
                           Qt::MouseButtons buttons) {
    return QMouseEvent(type, QPointF(), global, button, buttons, Qt::NoModifier);
  }
  void RightClick(QPointF offset_from_centre) {
    const QPointF at = QPointF(window.pos()) + QPointF(149, 151) + offset_from_centre;
    binding.MousePress(Mouse(QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton));
    binding.MouseRelease(Mouse(QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton));
  }

  QRect screen = QGuiApplication::primaryScreen()->geometry();
  QWidget window{nullptr, Qt::FramelessWindowHint};
  MotionBinding binding{window};
  WidgetMotionSurface& surface = binding.Surface();
  int hover_outs = 0;
};

TEST_F(MotionBindingTest, GeometryIsInTwipsRelativeToTheFullScreen) {
  EXPECT_EQ(surface.Left(), 1500);
  EXPECT_EQ(surface.Top(), 750);
  EXPECT_EQ(surface.Width(), 4470);
  EXPECT_EQ(surface.Height(), 4530);
  EXPECT_EQ(surface.ScreenWidth(), screen.width() * 15);
  EXPECT_EQ(surface.ScreenHeight(), screen.height() * 15);
  surface.MoveTo(3000, 4500);
  EXPECT_EQ(window.pos(), screen.topLeft() + QPoint(200, 300));

  // Far outside any screen: kept in twips, placed within reach.
  surface.SetTop(-2.0e6f);
  EXPECT_EQ(window.y(), -WidgetMotionSurface::kFarthestPixel);
  EXPECT_EQ(surface.Top(), -2.0e6f);
}

TEST_F(MotionBindingTest, SlowVelocitiesAddUpInsteadOfStallingOnAPixel) {
  RightClick(QPointF(25.0 / 15, 0));  // 5 twips a tick, a third of a pixel
  ASSERT_EQ(binding.Motion().VelocityX(), -5);
  binding.Motion().MoveTick();
  EXPECT_EQ(window.x(), screen.x() + 100);
  EXPECT_EQ(surface.Left(), 1495);
  binding.Motion().MoveTick();
  binding.Motion().MoveTick();
  EXPECT_EQ(window.x(), screen.x() + 99);

  // Moved by someone else, the window is where it stands.
  window.move(screen.x() + 10, window.y());
  EXPECT_EQ(surface.Left(), 150);
}

TEST_F(MotionBindingTest, RightClickThrowsAndTheTimersCarryTheFlight) {
  const QPoint start = window.pos();
  RightClick(QPointF(0, 2));
  EXPECT_EQ(binding.Motion().VelocityY(), -15);
  EXPECT_EQ(binding.Timer1().timerType(), Qt::PreciseTimer);
  EXPECT_EQ(binding.Timer3().timerType(), Qt::PreciseTimer);
  EXPECT_TRUE(binding.Timer3().isActive());
  ASSERT_TRUE(binding.TmrHit().isActive());

  QElapsedTimer clock;
  clock.start();
  while (binding.Motion().InFlight() && clock.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_GE(clock.elapsed(), 450);
  EXPECT_FALSE(binding.Motion().InFlight());
  EXPECT_FALSE(binding.TmrHit().isActive());
  EXPECT_TRUE(binding.Timer1().isActive());
  EXPECT_NE(window.pos(), start);
}

TEST_F(MotionBindingTest, LeftDragFollowsThePointerFromThePress) {
  const QPointF press = QPointF(window.pos()) + QPointF(40, 60);
  binding.MousePress(Mouse(QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton));
  // An extra button held does not stop it from being a left drag.
  binding.MouseMove(Mouse(QEvent::MouseMove, press + QPointF(7, -3), Qt::NoButton,
                          Qt::LeftButton | Qt::BackButton));
  EXPECT_EQ(window.pos(), screen.topLeft() + QPoint(107, 47));
  binding.MouseMove(
      Mouse(QEvent::MouseMove, press + QPointF(20, 10), Qt::NoButton, Qt::LeftButton));
  EXPECT_EQ(window.pos(), screen.topLeft() + QPoint(120, 60));
  EXPECT_EQ(hover_outs, 2);
}

TEST_F(MotionBindingTest, EscPutsTheBottomRightCornerOnTheScreenCentre) {
  binding.KeyPress(QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  EXPECT_EQ(window.pos() + QPoint(298, 302),
            screen.topLeft() + QPoint(screen.width() / 2, screen.height() / 2));
}

}  // namespace
}  // namespace tessaline
