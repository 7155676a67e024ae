#include "shell/qt/tray_binding.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QWidget>
#include <memory>
#include <vector>

#include "shell/qt/frm_systray.h"
#include "shell/qt/artwork.h"

namespace tessaline {
namespace {

class RecordingPresenter : public InformationPresenter {
 public:
  void ShowInformation(const QString& title, const QString& text) override {
    shown.push_back({title, text});
  }
  std::vector<std::pair<QString, QString>> shown;
};

int LiveTrayWindows() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (qobject_cast<FrmSystray*>(widget) != nullptr) ++count;
  }
  return count;
}

class TrayBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    navy.show();
    label4.setToolTip(QStringLiteral("Minimiser l'application"));
    tray.SetAvailabilityCheck([this] { return available; });
    tray.WatchLabel4(label4);
  }
  void TearDown() override {
    tray.Machine().Restore();
    EXPECT_EQ(LiveTrayWindows(), 0);
  }
  void ExpectRestored() {
    EXPECT_FALSE(tray.InTray());
    EXPECT_TRUE(navy.isVisible());
    EXPECT_EQ(LiveTrayWindows(), 0);
  }

  bool available = true;
  QWidget navy;
  QLabel label4{QStringLiteral("/"), &navy};
  RecordingPresenter presenter;
  TrayBinding tray{navy, TessalineIcon(), &presenter};
};

TEST_F(TrayBindingTest, Label4HidesTheWindowAndTheIconAppears) {
  tray.Label4Clicked();
  EXPECT_FALSE(navy.isVisible());
  ASSERT_TRUE(tray.InTray());
  FrmSystray* systray = tray.Systray();
  ASSERT_NE(systray, nullptr);
  EXPECT_FALSE(systray->isVisible());
  EXPECT_EQ(systray->windowTitle(), QStringLiteral("Système Tray"));
  EXPECT_TRUE(systray->TrayIcon().isVisible());
  EXPECT_EQ(systray->TrayIcon().toolTip(), QStringLiteral("Tessaline <--> Vestamar"));
  EXPECT_FALSE(systray->TrayIcon().icon().isNull());

  QMenu* menu = systray->TrayIcon().contextMenu();
  ASSERT_EQ(menu, &systray->Menu());
  EXPECT_EQ(menu->title(), QStringLiteral("Menu déroulant"));
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("A propos de..."));
  EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("Restaurer"));
}

TEST_F(TrayBindingTest, OnlyADoubleClickOnTheIconRestores) {
  tray.Label4Clicked();
  QSystemTrayIcon& icon = tray.Systray()->TrayIcon();
  for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::Context,
                      QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown}) {
    emit icon.activated(reason);
    EXPECT_TRUE(tray.InTray()) << reason;
  }
  emit icon.activated(QSystemTrayIcon::DoubleClick);
  ExpectRestored();
}

TEST_F(TrayBindingTest, RestaurerAndClosingTheTrayWindowRestoreToo) {
  tray.Label4Clicked();
  tray.Systray()->MnuRestaurer().trigger();
  ExpectRestored();

  tray.Label4Clicked();
  tray.Systray()->close();
  ExpectRestored();

  // Hidden again: a fresh tray window, one at a time.
  tray.Label4Clicked();
  EXPECT_EQ(LiveTrayWindows(), 1);
}

TEST_F(TrayBindingTest, AboutShowsTheProgramsInformationAndStaysInTheTray) {
  tray.Label4Clicked();
  tray.Systray()->MnuAproposDe().trigger();
  ASSERT_EQ(presenter.shown.size(), 1u);
  EXPECT_EQ(presenter.shown[0].first, QStringLiteral("Tessaline Pro v4.0"));
  EXPECT_EQ(presenter.shown[0].second,
            QStringLiteral("Tessaline Pro v4.0\nConversion ZRB <-> Vestamar"));
  EXPECT_TRUE(tray.InTray());
}

TEST_F(TrayBindingTest, WithoutANotificationAreaLabel4SaysSoAndDoesNotHide) {
  available = false;
  QHelpEvent help(QEvent::ToolTip, QPoint(1, 1), QPoint(1, 1));
  QCoreApplication::sendEvent(&label4, &help);
  EXPECT_EQ(label4.toolTip(), QStringLiteral("Zone de notification indisponible"));
  label4.setToolTip(QStringLiteral("Minimiser l'application"));
  tray.Label4Clicked();
  EXPECT_TRUE(navy.isVisible());
  EXPECT_FALSE(tray.InTray());
  EXPECT_EQ(label4.toolTip(), QStringLiteral("Zone de notification indisponible"));

  // The notification area comes back: the tooltip says so when it shows.
  available = true;
  QCoreApplication::sendEvent(&label4, &help);
  EXPECT_EQ(label4.toolTip(), QStringLiteral("Minimiser l'application"));
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
}  // namespace tessaline
