#include "shell/motion/motion_binding.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>
#include <memory>


namespace tessaline {
namespace {

class MotionBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    screen = QGuiApplication::primaryScreen()->geometry();
    window = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
    window->resize(298, 302);
    window->move(screen.x() + 100, screen.y() + 50);
    window->show();
    binding = std::make_unique<MotionBinding>(*window);
    binding->SetHoverOut([this] { ++hover_outs; });
  }

  // A mouse event at a global pixel position.
  static QMouseEvent Mouse(QEvent::Type type, QPointF global, Qt::MouseButton button,
                           Qt::MouseButtons buttons) {
    return QMouseEvent(type, QPointF(), global, button, buttons, Qt::NoModifier);
  }
  QPointF Centre() const {
    return QPointF(window->pos()) + QPointF(window->width() / 2.0, window->height() / 2.0);
  }

  QRect screen;
  std::unique_ptr<QWidget> window;
  std::unique_ptr<MotionBinding> binding;
  int hover_outs = 0;
};

TEST_F(MotionBindingTest, GeometryIsInTwipsRelativeToTheFullScreen) {
  WidgetMotionSurface& surface = binding->Surface();
  EXPECT_EQ(surface.Left(), 1500);
  EXPECT_EQ(surface.Top(), 750);
  EXPECT_EQ(surface.Width(), 4470);
  EXPECT_EQ(surface.Height(), 4530);
  EXPECT_EQ(surface.ScreenWidth(), screen.width() * 15);
  EXPECT_EQ(surface.ScreenHeight(), screen.height() * 15);

  surface.MoveTo(3000, 4500);
  EXPECT_EQ(window->pos(), screen.topLeft() + QPoint(200, 300));
}

TEST_F(MotionBindingTest, SlowVelocitiesAddUpInsteadOfStallingOnAPixel) {
  // 5 twips a tick is a third of a pixel.
  binding->MouseRelease(Mouse(QEvent::MouseButtonRelease, Centre() + QPointF(25.0 / 15, 0),
                              Qt::RightButton, Qt::NoButton));
  ASSERT_EQ(binding->Motion().VelocityX(), -5);
  binding->Motion().MoveTick();
  EXPECT_EQ(window->x(), screen.x() + 100);
  EXPECT_EQ(binding->Surface().Left(), 1495);
  binding->Motion().MoveTick();
  binding->Motion().MoveTick();
  EXPECT_EQ(window->x(), screen.x() + 99);
  EXPECT_EQ(binding->Surface().Left(), 1485);

  // Moved by someone else, the window is where it stands.
  window->move(screen.x() + 10, window->y());
  EXPECT_EQ(binding->Surface().Left(), 150);
}

TEST_F(MotionBindingTest, FarAwayPositionsAreKeptButPlacedWithinReach) {
  binding->Surface().SetTop(-2.0e6f);
  EXPECT_EQ(window->y(), -WidgetMotionSurface::kFarthestPixel);
  EXPECT_EQ(binding->Surface().Top(), -2.0e6f);
  binding->Surface().SetTop(750);
  EXPECT_EQ(window->y(), screen.y() + 50);
}

TEST_F(MotionBindingTest, TimersAreTheWindowsOwn) {
  EXPECT_EQ(binding->Timer1().interval(), 10);
  EXPECT_EQ(binding->Timer3().interval(), 10);
  EXPECT_EQ(binding->Timer1().timerType(), Qt::PreciseTimer);
  EXPECT_EQ(binding->Timer3().timerType(), Qt::PreciseTimer);
  EXPECT_EQ(binding->TmrHit().interval(), 500);
  EXPECT_TRUE(binding->TmrHit().isSingleShot());
  EXPECT_FALSE(binding->Timer1().isActive());
  EXPECT_FALSE(binding->Timer3().isActive());
  EXPECT_FALSE(binding->TmrHit().isActive());
  EXPECT_TRUE(window->hasMouseTracking());
}

TEST_F(MotionBindingTest, RightClickThrowsAndTheTimersCarryTheFlight) {
  const QPoint start = window->pos();
  // Below the centre: the window goes up first, then falls.
  const QPointF hit = Centre() + QPointF(0, 30);
  binding->MousePress(Mouse(QEvent::MouseButtonPress, hit, Qt::RightButton, Qt::RightButton));
  binding->MouseRelease(Mouse(QEvent::MouseButtonRelease, hit, Qt::RightButton, Qt::NoButton));
  EXPECT_EQ(binding->Motion().VelocityY(), -225);
  EXPECT_TRUE(binding->Timer1().isActive());
  EXPECT_TRUE(binding->Timer3().isActive());
  EXPECT_TRUE(binding->TmrHit().isActive());

  QElapsedTimer clock;
  clock.start();
  while (binding->Motion().InFlight() && clock.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_FALSE(binding->Motion().InFlight());
  EXPECT_FALSE(binding->TmrHit().isActive());
  EXPECT_TRUE(binding->Timer1().isActive());
  EXPECT_NE(window->pos(), start);
}

TEST_F(MotionBindingTest, LeftDragFollowsThePointerFromThePress) {
  const QPointF press = QPointF(window->pos()) + QPointF(40, 60);
  binding->MousePress(Mouse(QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton));
  binding->MouseMove(
      Mouse(QEvent::MouseMove, press + QPointF(7, -3), Qt::NoButton, Qt::LeftButton));
  EXPECT_EQ(window->pos(), screen.topLeft() + QPoint(107, 47));
  binding->MouseMove(
      Mouse(QEvent::MouseMove, press + QPointF(20, 10), Qt::NoButton, Qt::LeftButton));
  EXPECT_EQ(window->pos(), screen.topLeft() + QPoint(120, 60));
  EXPECT_EQ(hover_outs, 2);
}

TEST_F(MotionBindingTest, EscPutsTheBottomRightCornerOnTheScreenCentre) {
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
  binding->KeyPress(esc);
  EXPECT_EQ(window->pos() + QPoint(298, 302),
            screen.topLeft() + QPoint(screen.width() / 2, screen.height() / 2));
}

TEST(MotionBindingCodesTest, ButtonsAndKeysBecomeTheirCodes) {
  EXPECT_EQ(MotionBinding::ButtonBits(Qt::LeftButton), kLeftButton);
  EXPECT_EQ(MotionBinding::ButtonBits(Qt::RightButton), kRightButton);
  EXPECT_EQ(MotionBinding::ButtonBits(Qt::MiddleButton), kMiddleButton);
  // An extra button held does not stop a left drag from being one.
  EXPECT_EQ(MotionBinding::ButtonBits(Qt::LeftButton | Qt::BackButton), kLeftButton);
  EXPECT_EQ(MotionBinding::ButtonBits(Qt::LeftButton | Qt::RightButton), 3);

  EXPECT_EQ(MotionBinding::KeyCode(QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier)),
            kEscapeKey);
  EXPECT_EQ(MotionBinding::KeyCode(
                QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"))),
            'a');
}

}  // namespace
}  // namespace tessaline
