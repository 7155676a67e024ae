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
constexpr UINT kIconId = 1;
constexpr UINT_PTR kMenuAbout = 1;
constexpr UINT_PTR kMenuRestore = 2;

}  // namespace

SystrayWindow::SystrayWindow(HINSTANCE instance, HICON icon, NavyCore& core)
    : icon_(icon), core_(core) {
  RegisterWindowClass(instance, kClassName, &RoutedProcedure<SystrayWindow>, icon);
  const std::wstring caption = platform::Widen(window_texts::kTrayWindowCaption);
  // Never shown: created hidden, and it stays so.
  window_ = CreateWindowExW(0, kClassName, caption.c_str(), WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                            nullptr, instance, this);
}

SystrayWindow::~SystrayWindow() {
  if (window_ == nullptr) return;
  if (icon_added_) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = kIconId;
    Shell_NotifyIconW(NIM_DELETE, &data);
  }
  Detach(window_);
  DestroyWindow(window_);
}

bool SystrayWindow::AddIcon(const std::string& tooltip) {
  if (window_ == nullptr) return false;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = kIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = icon_;
  lstrcpynW(data.szTip, platform::Widen(tooltip).c_str(), ARRAYSIZE(data.szTip));
  icon_added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  return icon_added_;
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
    core_.TrayAboutChosen();
  } else if (chosen == kMenuRestore) {
    core_.TrayRestoreChosen();  // destroys this window: nothing may follow
  }
}

LRESULT SystrayWindow::Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kCallbackMessage:
      switch (LOWORD(lparam)) {
        case WM_RBUTTONUP:
          ShowMenu();
          break;
        case WM_LBUTTONDBLCLK:
          core_.TrayIconClicked(TrayClick::DoubleClick);  // may destroy this window
          break;
        default:
          core_.TrayIconClicked(TrayClick::Other);
          break;
      }
      return 0;
    case WM_CLOSE:
      core_.TrayRestoreChosen();
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace tessaline::win32
