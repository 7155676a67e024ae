// Label4 of the real window and the notification-area icon, with a
// notification area that the test decides is there or not.

#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include "navy_fixture.h"
#include "shell/qt/artwork.h"
#include "shell/qt/frm_systray.h"
#include "shell/qt/information_box.h"

namespace tessaline::testing {
namespace {

int LiveTrayWindows() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (qobject_cast<FrmSystray*>(widget) != nullptr) ++count;
  }
  return count;
}

class NavyTrayTest : public NavyTest {
 protected:
  NavyTrayTest() {
    MakeNavy();
    navy_->move(QGuiApplication::primaryScreen()->geometry().topLeft() + QPoint(200, 100));
    navy_->SetNotificationAreaCheck([this] { return available_; });
  }
  void ClickLabel4() {
    QTest::mouseClick(navy_->windowHandle(), Qt::LeftButton, {},
                      Control("Label4")->geometry().center());
  }

  bool available_ = true;
};

TEST_F(NavyTrayTest, Label4HidesTheWindowBehindTheProgramsIconUntilADoubleClick) {
  const QPoint hidden_at = navy_->pos();
  ClickLabel4();
  EXPECT_FALSE(navy_->isVisible());
  ASSERT_TRUE(navy_->Core().InTray());
  QSystemTrayIcon& icon = navy_->Systray()->TrayIcon();
  EXPECT_TRUE(icon.isVisible());
  EXPECT_EQ(icon.toolTip(), QStringLiteral("Tessaline <--> Vestamar"));
  // The same artwork as the window's icon.
  const QImage expected = TessalineIconImage(32).convertToFormat(QImage::Format_ARGB32);
  EXPECT_EQ(icon.icon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32), expected);
  EXPECT_EQ(navy_->windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32),
            expected);
  EXPECT_EQ(LiveTrayWindows(), 1);

  emit icon.activated(QSystemTrayIcon::Trigger);
  EXPECT_FALSE(navy_->isVisible());
  emit icon.activated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(navy_->isVisible());
  EXPECT_FALSE(navy_->Core().InTray());
  EXPECT_EQ(navy_->pos(), hidden_at);
  EXPECT_EQ(LiveTrayWindows(), 0);

  // Hidden again: one icon again.
  ClickLabel4();
  EXPECT_EQ(LiveTrayWindows(), 1);
  navy_->Systray()->MnuRestaurer().trigger();
  EXPECT_TRUE(navy_->isVisible());
  EXPECT_EQ(LiveTrayWindows(), 0);
}

TEST_F(NavyTrayTest, AThrownWindowFliesOnWhileHiddenAndComesBackWhereTheMotionTookIt) {
  QTest::mouseClick(navy_->windowHandle(), Qt::RightButton, {}, QPoint(30, 150));
  const WindowMotion& motion = navy_->Core().Motion();
  ASSERT_TRUE(motion.InFlight());
  // Hidden within the grace period: the grace tick finds it hidden.
  ClickLabel4();
  ASSERT_TRUE(navy_->Core().InTray());
  const QPoint hidden_at = navy_->pos();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !motion.InFlight(); }, 5000));
  EXPECT_FALSE(navy_->Timer(MotionTimer::Grace).isActive());
  EXPECT_TRUE(QTest::qWaitFor([&] { return (navy_->pos() - hidden_at).manhattanLength() > 50; },
                              5000));
  EXPECT_FALSE(navy_->isVisible());

  navy_->Systray()->MnuRestaurer().trigger();
  EXPECT_TRUE(navy_->isVisible());
  // Still flying.
  EXPECT_TRUE(navy_->Timer(MotionTimer::Move).isActive());
  EXPECT_TRUE(navy_->Timer(MotionTimer::Physics).isActive());
}

TEST_F(NavyTrayTest, WithoutANotificationAreaLabel4SaysSoAndTheWindowStays) {
  available_ = false;
  NavyLabel* label4 = Label("Label4");
  QHelpEvent help(QEvent::ToolTip, QPoint(3, 3), label4->mapToGlobal(QPoint(3, 3)));
  QApplication::sendEvent(label4, &help);
  EXPECT_EQ(label4->toolTip(), QStringLiteral("Zone de notification indisponible"));
  ClickLabel4();
  EXPECT_TRUE(navy_->isVisible());
  EXPECT_FALSE(navy_->Core().InTray());
  EXPECT_EQ(LiveTrayWindows(), 0);

  available_ = true;
  QApplication::sendEvent(label4, &help);
  EXPECT_EQ(label4->toolTip(), QStringLiteral("Minimiser l'application"));
}

TEST_F(NavyTrayTest, TheIconGoesWithTheWindow) {
  ClickLabel4();
  ASSERT_EQ(LiveTrayWindows(), 1);
  navy_.reset();
  EXPECT_EQ(LiveTrayWindows(), 0);
}

TEST(InformationBoxTest, IsAnInformationBoxWhoseClosingDoesNotEndTheProgram) {
  QMessageBox* box = MakeInformationBox(QStringLiteral("T"), QStringLiteral("line 1\nline 2"));
  EXPECT_EQ(box->windowTitle(), QStringLiteral("T"));
  EXPECT_EQ(box->text(), QStringLiteral("line 1\nline 2"));
  EXPECT_EQ(box->icon(), QMessageBox::Information);
  EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
  EXPECT_FALSE(box->testAttribute(Qt::WA_QuitOnClose));
  EXPECT_TRUE(box->testAttribute(Qt::WA_DeleteOnClose));
  delete box;
}

}  // namespace
}  // namespace tessaline::testing
