#pragma once
// Window classes whose procedure hands every message to the C++ object
// given as the window's creation parameter (Owner::Handle), from
// WM_NCCREATE on, until the object detaches itself with Detach.

#include "shell/win32/windows_api.h"

namespace tessaline::win32 {

// Registers `name` once per process; later calls change nothing.
void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                         HICON icon = nullptr, HICON small_icon = nullptr);

// The window no longer reaches its object (it is being destroyed).
inline void Detach(HWND window) { SetWindowLongPtrW(window, GWLP_USERDATA, 0); }

template <typename Owner>
LRESULT CALLBACK RoutedProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (owner == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  return owner->Handle(window, message, wparam, lparam);
}

}  // namespace tessaline::win32
