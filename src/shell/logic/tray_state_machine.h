#pragma once
// Hiding the main window into the notification area and bringing it back.
//
// Hiding creates the hidden tray window, which adds the icon; restoring (a
// left double-click on the icon, the menu item "Restaurer", or the tray
// window being closed in any other way) removes the icon, shows the main
// window and destroys the tray window. Plain code over TrayHost, so that it
// runs without a windowing system.

#include <cstdint>
#include <memory>
#include <string>

#include "shell/logic/window_texts.h"

namespace tessaline {

// Notification codes: the mouse messages that the icon reports.
inline constexpr std::int32_t kTrayMouseMove = 512;
inline constexpr std::int32_t kTrayLeftButtonDown = 513;
inline constexpr std::int32_t kTrayLeftButtonUp = 514;
inline constexpr std::int32_t kTrayLeftDoubleClick = 515;
inline constexpr std::int32_t kTrayRightButtonDown = 516;
inline constexpr std::int32_t kTrayRightButtonUp = 517;
inline constexpr std::int32_t kTrayRightDoubleClick = 518;
inline constexpr std::int32_t kTrayMiddleButtonUp = 520;

// Every hide adds the icon under the same identifier.
inline constexpr std::uint32_t kTrayIconId = 1;
inline constexpr const char* kTrayTooltip = window_texts::kTrayTooltip;

// The hidden tray window, for as long as it exists: destroying this object
// destroys the window.
class TrayWindow {
 public:
  virtual ~TrayWindow() = default;
  virtual void AddIcon(std::uint32_t id, const std::string& tooltip) = 0;
  virtual void RemoveIcon(std::uint32_t id) = 0;
};

class TrayHost {
 public:
  virtual ~TrayHost() = default;
  // Whether the desktop has a notification area to hide into.
  virtual bool NotificationAreaAvailable() const = 0;
  virtual void HideMainWindow() = 0;
  virtual void ShowMainWindow() = 0;
  // A new tray window, already hidden.
  virtual std::unique_ptr<TrayWindow> CreateTrayWindow() = 0;
};

class TrayStateMachine {
 public:
  explicit TrayStateMachine(TrayHost& host) : host_(host) {}
  TrayStateMachine(const TrayStateMachine&) = delete;
  TrayStateMachine& operator=(const TrayStateMachine&) = delete;

  // The click on Label4. Without a notification area the window would
  // vanish with no way back, so it stays; returns whether it was hidden.
  bool HideToTray();

  // A notification from the icon. Only a left double-click restores; a
  // notification arriving while another is being handled is dropped.
  void Notify(std::int32_t tray_code);

  // The tray window goes: the icon is removed and the main window shown.
  void Restore();

  bool InTray() const { return window_ != nullptr; }
  bool TrayBusy() const { return tray_busy_; }

 private:
  TrayHost& host_;
  std::unique_ptr<TrayWindow> window_;
  bool tray_busy_ = false;
};

}  // namespace tessaline
