#include "shell/logic/tray_state_machine.h"

#include <utility>

namespace tessaline {

bool TrayStateMachine::HideToTray() {
  if (InTray()) return true;  // a second icon would outlive the tray window's record
  if (!host_.NotificationAreaAvailable()) return false;
  host_.HideMainWindow();
  window_ = host_.CreateTrayWindow();
  if (window_ == nullptr) {  // no tray window, no icon: no way back but this
    host_.ShowMainWindow();
    return false;
  }
  window_->AddIcon(kTrayIconId, kTrayTooltip);
  return true;
}

void TrayStateMachine::Notify(std::int32_t tray_code) {
  if (tray_busy_) return;
  tray_busy_ = true;
  if (tray_code == kTrayLeftDoubleClick) Restore();
  tray_busy_ = false;
}

void TrayStateMachine::Restore() {
  // Taken out first, so that a close arriving while the window goes
  // finds nothing left to restore.
  std::unique_ptr<TrayWindow> window = std::move(window_);
  if (window == nullptr) return;
  window->RemoveIcon(kTrayIconId);
  host_.ShowMainWindow();
  window.reset();
}

}  // namespace tessaline
