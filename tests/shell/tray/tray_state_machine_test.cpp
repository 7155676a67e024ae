#include "shell/logic/tray_state_machine.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessaline {
namespace {

using Log = std::vector<std::string>;

// Records what happens to the main window, the tray windows and the icons.
class FakeTrayHost : public TrayHost {
 public:
  struct Window : TrayWindow {
    explicit Window(FakeTrayHost& h) : host(h) { ++host.live_windows; }
    ~Window() override {
      --host.live_windows;
      host.log.push_back("destroy window");
    }
    void AddIcon(std::uint32_t id, const std::string& tooltip) override {
      host.log.push_back("add icon " + std::to_string(id) + " " + tooltip);
    }
    void RemoveIcon(std::uint32_t id) override {
      host.log.push_back("remove icon " + std::to_string(id));
      if (host.while_removing) host.while_removing();
    }
    FakeTrayHost& host;
  };

  bool NotificationAreaAvailable() const override { return available; }
  void HideMainWindow() override { log.push_back("hide main"); }
  void ShowMainWindow() override { log.push_back("show main"); }
  std::unique_ptr<TrayWindow> CreateTrayWindow() override {
    log.push_back("create window");
    return can_create ? std::make_unique<Window>(*this) : nullptr;
  }

  bool available = true, can_create = true;
  int live_windows = 0;
  Log log;
  std::function<void()> while_removing;
};

const Log kHidden = {"hide main", "create window", "add icon 1 Tessaline <--> Vestamar"};
const Log kRestored = {"remove icon 1", "show main", "destroy window"};

class TrayStateMachineTest : public ::testing::Test {
 protected:
  Log TakeLog() { return std::exchange(host.log, {}); }
  FakeTrayHost host;
  TrayStateMachine tray{host};
};

TEST_F(TrayStateMachineTest, DoubleClickAndRestaurerRestoreAlikeAndHidingAgainGivesOneIcon) {
  for (bool by_menu : {false, true}) {
    EXPECT_TRUE(tray.HideToTray());
    EXPECT_TRUE(tray.InTray());
    EXPECT_EQ(host.live_windows, 1);
    EXPECT_EQ(TakeLog(), kHidden);
    tray.HideToTray();  // already hidden: no second window or icon
    EXPECT_EQ(host.live_windows, 1);
    if (by_menu) {
      tray.Restore();
    } else {
      tray.Notify(kTrayLeftDoubleClick);
    }
    EXPECT_EQ(TakeLog(), kRestored) << by_menu;
    EXPECT_FALSE(tray.InTray());
    EXPECT_EQ(host.live_windows, 0);
  }
  tray.Restore();  // nothing left to restore
  tray.Notify(kTrayLeftDoubleClick);
  EXPECT_TRUE(host.log.empty());
}

TEST_F(TrayStateMachineTest, OtherNotificationsAreIgnored) {
  tray.HideToTray();
  TakeLog();
  for (std::int32_t code : {kTrayMouseMove, kTrayLeftButtonDown, kTrayLeftButtonUp,
                            kTrayRightButtonDown, kTrayRightButtonUp, kTrayRightDoubleClick,
                            kTrayMiddleButtonUp, 0, -515, 515 * 15}) {
    tray.Notify(code);
  }
  EXPECT_TRUE(host.log.empty());
  EXPECT_TRUE(tray.InTray());
}

TEST_F(TrayStateMachineTest, NotificationsDuringRestoreAreDropped) {
  tray.HideToTray();
  TakeLog();
  bool busy_inside = false;
  host.while_removing = [&] {
    busy_inside = tray.TrayBusy();
    tray.Notify(kTrayLeftDoubleClick);
    tray.Restore();  // the window closing under the restore
  };
  tray.Notify(kTrayLeftDoubleClick);
  EXPECT_TRUE(busy_inside);
  EXPECT_FALSE(tray.TrayBusy());
  EXPECT_EQ(host.log, kRestored);
}

TEST_F(TrayStateMachineTest, WindowStaysWhenThereIsNowhereToHide) {
  host.available = false;
  EXPECT_FALSE(tray.HideToTray());
  EXPECT_TRUE(TakeLog().empty());

  host.available = true;
  host.can_create = false;  // the tray window could not be made
  EXPECT_FALSE(tray.HideToTray());
  EXPECT_EQ(host.log, (Log{"hide main", "create window", "show main"}));
  EXPECT_FALSE(tray.InTray());
}

}  // namespace
}  // namespace tessaline
