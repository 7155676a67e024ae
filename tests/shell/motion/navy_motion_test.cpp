// The motion inside the real window: which of its events throw, drag and
// place it, with the window's own timers.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include "navy_fixture.h"

namespace tessaline::testing {
namespace {

class NavyMotionTest : public NavyTest {
 protected:
  NavyMotionTest() {
    MakeNavy();
    navy_->move(screen_.topLeft() + QPoint(200, 100));
  }
  bool AnyTimerActive() {
    return Timer(MotionTimer::Move).isActive() || Timer(MotionTimer::Physics).isActive() ||
           Timer(MotionTimer::Grace).isActive();
  }
  QTimer& Timer(MotionTimer timer) { return navy_->Timer(timer); }
  const WindowMotion& Motion() { return navy_->Core().Motion(); }
  // A mouse event on the window at a point of its own, whatever the
  // windowing system believes of its position.
  void Send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), QPointF(navy_->pos() + at), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(navy_.get(), &event);
  }

  QRect screen_ = QGuiApplication::primaryScreen()->geometry();
};

TEST_F(NavyMotionTest, ARightClickOnTheSurfaceThrowsTheWindowButNotOneOnALabel) {
  QWindow* window = navy_->windowHandle();
  ASSERT_NE(window, nullptr);
  for (const char* name : {"Label1", "Label2", "Label3", "Label4", "lblFichiers", "lblStatus"}) {
    QTest::mouseClick(window, Qt::RightButton, {}, Control(name)->geometry().center());
    EXPECT_FALSE(AnyTimerActive()) << name;
  }

  // On the sphere, 119 pixels left of the centre and 1 above it.
  QTest::mouseClick(window, Qt::RightButton, {}, QPoint(30, 150));
  EXPECT_TRUE(Timer(MotionTimer::Move).isActive());
  EXPECT_TRUE(Timer(MotionTimer::Physics).isActive());
  EXPECT_TRUE(Timer(MotionTimer::Grace).isActive());
  EXPECT_TRUE(Motion().InFlight());
  EXPECT_EQ(Motion().VelocityX(), 357);  // -((450 - 2235) / 5)
  EXPECT_EQ(Motion().VelocityY(), 8);    // -((2250 - 2265) / 2), 7.5 to even

  // It flies on the window's own timers, and the grace period ends.
  const QPoint start = navy_->pos();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Motion().InFlight(); }, 5000));
  EXPECT_TRUE(Timer(MotionTimer::Move).isActive());
  EXPECT_NE(navy_->pos(), start);
}

TEST_F(NavyMotionTest, EscStopsAFlightAndPutsTheBottomRightCornerOnTheScreenCentre) {
  QTest::mouseClick(navy_->windowHandle(), Qt::RightButton, {}, QPoint(30, 150));
  ASSERT_TRUE(AnyTimerActive());
  QTest::keyClick(navy_.get(), Qt::Key_A);
  EXPECT_TRUE(AnyTimerActive());
  QTest::keyClick(navy_.get(), Qt::Key_Escape);
  EXPECT_FALSE(AnyTimerActive());
  EXPECT_FALSE(Motion().InFlight());
  EXPECT_EQ(navy_->pos() + QPoint(Navy::kClientWidth, Navy::kClientHeight),
            screen_.topLeft() + QPoint(screen_.width() / 2, screen_.height() / 2));
}

TEST_F(NavyMotionTest, ALeftDragFromThePressMovesTheWindowAndEndsAFlight) {
  const QPoint start = navy_->pos();
  // No move over the window before the press: the window must not jump.
  Send(QEvent::MouseButtonPress, QPoint(30, 150), Qt::LeftButton, Qt::LeftButton);
  Send(QEvent::MouseMove, QPoint(30, 150), Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(navy_->pos(), start);
  // The pointer stays at the same place of the window while it follows.
  Send(QEvent::MouseMove, QPoint(50, 140), Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(navy_->pos(), start + QPoint(20, -10));
  Send(QEvent::MouseButtonRelease, QPoint(30, 150), Qt::LeftButton, Qt::NoButton);

  // A flight after its grace period is caught by a drag and stays caught.
  Send(QEvent::MouseMove, QPoint(30, 150), Qt::NoButton, Qt::NoButton);
  Send(QEvent::MouseButtonPress, QPoint(30, 150), Qt::RightButton, Qt::RightButton);
  Send(QEvent::MouseButtonRelease, QPoint(30, 150), Qt::RightButton, Qt::NoButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Motion().InFlight(); }, 5000));
  Send(QEvent::MouseButtonPress, QPoint(30, 150), Qt::LeftButton, Qt::LeftButton);
  Send(QEvent::MouseMove, QPoint(31, 150), Qt::NoButton, Qt::LeftButton);
  EXPECT_FALSE(AnyTimerActive());
  const QPoint caught = navy_->pos();
  QTest::qWait(100);
  EXPECT_EQ(navy_->pos(), caught);
}

}  // namespace
}  // namespace tessaline::testing
