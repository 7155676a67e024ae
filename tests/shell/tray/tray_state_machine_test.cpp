#include "shell/tray/tray_state_machine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessaline {
namespace {

// Records what happens to the main window, the tray windows and the icons.
class FakeTrayHost : public TrayHost {
 public:
  class Window : public TrayWindow {
   public:
    explicit Window(FakeTrayHost& host) : host_(host) { ++host_.live_windows; }
    ~Window() override {
      --host_.live_windows;
      host_.log.push_back("destroy window");
    }
    void AddIcon(std::uint32_t id, const std::string& tooltip) override {
      ++host_.icons_shown;
      host_.log.push_back("add icon " + std::to_string(id) + " " + tooltip);
    }
    void RemoveIcon(std::uint32_t id) override {
      --host_.icons_shown;
      host_.log.push_back("remove icon " + std::to_string(id));
      if (host_.while_removing) host_.while_removing();
    }

   private:
    FakeTrayHost& host_;
  };

  bool NotificationAreaAvailable() const override { return available; }
  void HideMainWindow() override {
    main_shown = false;
    log.push_back("hide main");
  }
  void ShowMainWindow() override {
    main_shown = true;
    log.push_back("show main");
  }
  std::unique_ptr<TrayWindow> CreateTrayWindow() override {
    log.push_back("create window");
    if (!can_create) return nullptr;
    return std::make_unique<Window>(*this);
  }

  bool available = true;
  bool can_create = true;
  bool main_shown = true;
  int live_windows = 0;
  int icons_shown = 0;
  std::vector<std::string> log;
  std::function<void()> while_removing;
};

using Log = std::vector<std::string>;

class TrayStateMachineTest : public ::testing::Test {
 protected:
  FakeTrayHost host;
  TrayStateMachine tray{host};
};

TEST_F(TrayStateMachineTest, HideCreatesTheTrayWindowWhichAddsTheIcon) {
  EXPECT_TRUE(tray.HideToTray());
  EXPECT_TRUE(tray.InTray());
  EXPECT_FALSE(host.main_shown);
  EXPECT_EQ(host.live_windows, 1);
  EXPECT_EQ(host.log, (Log{"hide main", "create window", "add icon 1 Tessaline <--> Vestamar"}));
}

TEST_F(TrayStateMachineTest, LeftDoubleClickAndRestaurerRestoreAlike) {
  for (bool by_menu : {false, true}) {
    tray.HideToTray();
    host.log.clear();
    if (by_menu) {
      tray.Restore();
    } else {
      tray.Notify(kTrayLeftDoubleClick);
    }
    EXPECT_EQ(host.log, (Log{"remove icon 1", "show main", "destroy window"})) << by_menu;
    EXPECT_FALSE(tray.InTray());
    EXPECT_TRUE(host.main_shown);
    EXPECT_EQ(host.live_windows, 0);
    EXPECT_EQ(host.icons_shown, 0);
    EXPECT_FALSE(tray.TrayBusy());
  }
}

TEST_F(TrayStateMachineTest, OtherNotificationsAreIgnored) {
  tray.HideToTray();
  host.log.clear();
  for (std::int32_t code : {kTrayMouseMove, kTrayLeftButtonDown, kTrayLeftButtonUp,
                            kTrayRightButtonDown, kTrayRightButtonUp, kTrayRightDoubleClick,
                            kTrayMiddleButtonUp, 0, -515, 515 * 15}) {
    tray.Notify(code);
  }
  EXPECT_TRUE(host.log.empty());
  EXPECT_TRUE(tray.InTray());
  EXPECT_FALSE(tray.TrayBusy());
}

TEST_F(TrayStateMachineTest, HidingAgainGivesOneIconAtATime) {
  tray.HideToTray();
  tray.Notify(kTrayLeftDoubleClick);
  tray.HideToTray();
  tray.HideToTray();  // already hidden: no second window, no second icon
  EXPECT_EQ(host.live_windows, 1);
  EXPECT_EQ(host.icons_shown, 1);
  tray.Restore();
  tray.Restore();  // nothing left to restore
  tray.Notify(kTrayLeftDoubleClick);
  EXPECT_EQ(host.icons_shown, 0);
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "show main"), 2);
}

TEST_F(TrayStateMachineTest, NotificationsDuringRestoreAreDropped) {
  tray.HideToTray();
  bool busy_inside = false;
  host.while_removing = [&] {
    busy_inside = tray.TrayBusy();
    tray.Notify(kTrayLeftDoubleClick);
    tray.Restore();  // the window closing under the restore
  };
  tray.Notify(kTrayLeftDoubleClick);
  EXPECT_TRUE(busy_inside);
  EXPECT_FALSE(tray.TrayBusy());
  EXPECT_EQ(host.log, (Log{"hide main", "create window", "add icon 1 Tessaline <--> Vestamar",
                           "remove icon 1", "show main", "destroy window"}));
}

TEST_F(TrayStateMachineTest, WindowStaysWhenThereIsNowhereToHide) {
  host.available = false;
  EXPECT_FALSE(tray.HideToTray());
  EXPECT_TRUE(host.main_shown);
  EXPECT_TRUE(host.log.empty());

  host.available = true;
  host.can_create = false;  // the tray window could not be made
  EXPECT_FALSE(tray.HideToTray());
  EXPECT_TRUE(host.main_shown);
  EXPECT_FALSE(tray.InTray());
}

}  // namespace
}  // namespace tessaline
