// Tessaline Pro v4.0: the window program on Windows.

#include "shell/win32/navy_window.h"

#include <commctrl.h>
#include <ole2.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // OLE for the drop target; it also brings COM up on this, the only thread.
  if (FAILED(OleInitialize(nullptr))) return 1;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  int status = 1;
  {
    tessaline::win32::NavyWindow navy(instance, tessaline::NavyServices::Default());
    if (navy.Load()) {
      MSG message;
      while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      status = static_cast<int>(message.wParam);
    }
  }
  OleUninitialize();
  return status;
}
