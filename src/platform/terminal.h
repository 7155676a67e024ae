#pragma once
// The terminal behind the standard error, for the redrawn progress line.

namespace tessaline::platform {

// Whether stderr is a terminal (a console on Windows).
bool IsStderrTerminal();

// Columns of the terminal on stderr; 80 when it cannot be told.
int StderrTerminalColumns();

}  // namespace tessaline::platform
