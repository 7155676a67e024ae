#include "shell/win32/systray_window.h"

#include <shellapi.h>

#include "platform/wide_text_win.h"
#include "shell/logic/window_texts.h"
#include "shell/win32/window_class.h"

namespace tessaline::win32 {

namespace {

constexpr wchar_t kClassName[] = L"TessalineFrmSystray";
// The icon reports its mouse messages as mouse moves whose X is the code.
constexpr UINT kCallbackMessage = WM_MOUSEMOVE;
constexpr UINT_PTR kMenuAbout = 1;
constexpr UINT_PTR kMenuRestore = 2;

}  // namespace

SystrayWindow::SystrayWindow(HINSTANCE instance, HICON icon, SystrayEvents& events)
    : icon_(icon), events_(events) {
  RegisterWindowClass(instance, kClassName, &RoutedProcedure<SystrayWindow>, icon);
  const std::wstring caption = platform::Widen(window_texts::kTrayWindowCaption);
  // Never shown: created hidden, and it stays so.
  window_ = CreateWindowExW(0, kClassName, caption.c_str(), WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                            nullptr, instance, this);
}

SystrayWindow::~SystrayWindow() {
  if (window_ == nullptr) return;
  RemoveIcon(kTrayIconId);
  Detach(window_);
  DestroyWindow(window_);
}

void SystrayWindow::AddIcon(std::uint32_t id, const std::string& tooltip) {
  if (window_ == nullptr) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = id;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = icon_;
  lstrcpynW(data.szTip, platform::Widen(tooltip).c_str(), ARRAYSIZE(data.szTip));
  icon_added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  // No icon, no way back: the window comes back at once instead.
  if (!icon_added_) PostMessageW(window_, WM_CLOSE, 0, 0);
}

void SystrayWindow::RemoveIcon(std::uint32_t id) {
  if (window_ == nullptr || !icon_added_) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = id;
  Shell_NotifyIconW(NIM_DELETE, &data);
  icon_added_ = false;
}

void SystrayWindow::ShowMenu() {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kMenuAbout, platform::Widen(window_texts::kMenuAbout).c_str());
  AppendMenuW(menu, MF_STRING, kMenuRestore, platform::Widen(window_texts::kMenuRestore).c_str());
  POINT at;
  GetCursorPos(&at);
  // The menu closes when the user clicks elsewhere only if its window is
  // in the foreground.
  SetForegroundWindow(window_);
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, window_, nullptr));
  PostMessageW(window_, WM_NULL, 0, 0);
  DestroyMenu(menu);
  if (chosen == kMenuAbout) {
    events_.AboutChosen();
  } else if (chosen == kMenuRestore) {
    events_.RestoreChosen();  // destroys this window: nothing may follow
  }
}

LRESULT SystrayWindow::Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kCallbackMessage: {
      const auto code = static_cast<std::int32_t>(LOWORD(lparam));
      if (code == WM_RBUTTONUP) {
        ShowMenu();
        return 0;
      }
      events_.Notified(code);  // may destroy this window
      return 0;
    }
    case WM_CLOSE:
      events_.RestoreChosen();
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace tessaline::win32
