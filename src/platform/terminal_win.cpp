#include "platform/terminal.h"

#include <windows.h>

namespace tessaline::platform {

// _isatty() also answers yes for the NUL device, where redrawn progress
// lines would only cost time; a console handle is the real test.
bool IsStderrTerminal() {
  const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

}  // namespace tessaline::platform

namespace tessaline::platform {

int StderrTerminalColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) {
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    if (columns > 0) return columns;
  }
  return 80;
}

}  // namespace tessaline::platform
