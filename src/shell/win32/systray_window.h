#pragma once
// FrmSystray on Windows: the hidden window that carries the
// notification-area icon (Shell_NotifyIconW, identifier 1) and its menu
// "A propos de..." / "Restaurer", opened by a right-click on the icon. The
// icon's clicks, the menu and the window's closing go to the window's core.

#include "shell/win32/windows_api.h"

#include <string>

#include "shell/logic/navy_core.h"

namespace tessaline::win32 {

class SystrayWindow final {
 public:
  SystrayWindow(HINSTANCE instance, HICON icon, NavyCore& core);
  // Removes the icon and destroys the window.
  ~SystrayWindow();
  SystrayWindow(const SystrayWindow&) = delete;
  SystrayWindow& operator=(const SystrayWindow&) = delete;

  // False when the window or its icon could not be made.
  bool AddIcon(const std::string& tooltip);
  // Every message of the window (see window_class.h). The core's answer to
  // a double-click, "Restaurer" or a close destroys this object: nothing
  // may follow those calls.
  LRESULT Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

 private:
  void ShowMenu();

  HWND window_ = nullptr;
  HICON icon_;
  NavyCore& core_;
  bool icon_added_ = false;
};

}  // namespace tessaline::win32
