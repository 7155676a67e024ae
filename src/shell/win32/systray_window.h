#pragma once
// FrmSystray on Windows: the hidden window that carries the
// notification-area icon (Shell_NotifyIconW, identifier 1) and its menu
// "A propos de..." / "Restaurer", opened by a right-click on the icon.

#include "shell/win32/windows_api.h"

#include <cstdint>
#include <string>

#include "shell/logic/tray_state_machine.h"

namespace tessaline::win32 {

class SystrayEvents {
 public:
  virtual ~SystrayEvents() = default;
  // A mouse message on the icon. May destroy the tray window.
  virtual void Notified(std::int32_t tray_code) = 0;
  // "Restaurer", or the window closed any other way. Destroys it.
  virtual void RestoreChosen() = 0;
  virtual void AboutChosen() = 0;
};

class SystrayWindow final : public TrayWindow {
 public:
  SystrayWindow(HINSTANCE instance, HICON icon, SystrayEvents& events);
  ~SystrayWindow() override;
  SystrayWindow(const SystrayWindow&) = delete;
  SystrayWindow& operator=(const SystrayWindow&) = delete;

  bool Created() const { return window_ != nullptr; }
  void AddIcon(std::uint32_t id, const std::string& tooltip) override;
  void RemoveIcon(std::uint32_t id) override;
  // Every message of the window (see window_class.h).
  LRESULT Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

 private:
  void ShowMenu();

  HWND window_ = nullptr;
  HICON icon_;
  SystrayEvents& events_;
  bool icon_added_ = false;
};

}  // namespace tessaline::win32
