// Tessaline Pro v4.0: the window program on Windows.

#include "shell/win32/navy_window.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/wide_text_win.h"
#include "shell/logic/launch_request.h"
#include "shell/logic/window_texts.h"
#include "shell/win32/single_instance.h"

namespace {

// The UTF-8 arguments after the program's name.
std::vector<std::string> Arguments() {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (words == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(tessaline::platform::Narrow(words[i]));
  LocalFree(words);
  return arguments;
}

std::string CurrentFolder() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return std::string();
  std::wstring folder(size, L'\0');
  const DWORD length = GetCurrentDirectoryW(size, folder.data());
  folder.resize(length < size ? length : 0);
  return tessaline::platform::Narrow(folder);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const tessaline::LaunchArguments launch = tessaline::ParseLaunchArguments(Arguments(), CurrentFolder());
  if (!launch.unknown_option.empty()) {
    // A program of the GUI subsystem has no console to say it on.
    MessageBoxW(nullptr, tessaline::platform::Widen(tessaline::UnknownLaunchOptionText(launch.unknown_option)).c_str(),
                tessaline::platform::Widen(tessaline::window_texts::kTitle).c_str(), MB_OK | MB_ICONERROR);
    return 2;
  }
  const tessaline::LaunchRequest& request = launch.request;

  // One window per session: a window already there takes the request.
  if (tessaline::win32::SendToRunning(request)) return 0;
  tessaline::win32::NavyWindow* window = nullptr;  // requests reach it from the message loop only
  tessaline::win32::SingleInstanceListener listener(instance, [&window](const tessaline::LaunchRequest& handed) {
    if (window != nullptr) window->Open(handed);
  });
  // Another window started meanwhile and won the name.
  if (!listener.Listen() && tessaline::win32::SendToRunning(request)) return 0;

  // OLE for the drop target; it also brings COM up on this, the only thread.
  if (FAILED(OleInitialize(nullptr))) return 1;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  int status = 1;
  {
    tessaline::win32::NavyWindow navy(instance, tessaline::NavyServices::Default());
    window = &navy;
    if (navy.Load()) {
      if (!request.absolute_paths.empty()) navy.Open(request);
      MSG message;
      while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      status = static_cast<int>(message.wParam);
    }
    window = nullptr;
  }
  OleUninitialize();
  return status;
}
