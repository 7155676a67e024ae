#include "platform/terminal.h"

#include <unistd.h>

namespace tessaline::platform {

bool IsStderrTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace tessaline::platform
