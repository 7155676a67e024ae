#include "platform/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace tessaline::platform {

bool IsStderrTerminal() { return isatty(STDERR_FILENO) == 1; }

int StderrTerminalColumns() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace tessaline::platform
