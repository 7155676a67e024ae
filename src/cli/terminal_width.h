#pragma once
// The width of the terminal behind the standard error, for the progress line.

namespace tessaline::cli {

// Columns of the terminal on stderr; 80 when it cannot be told.
int StderrTerminalColumns();

}  // namespace tessaline::cli
