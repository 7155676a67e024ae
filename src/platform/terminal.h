#pragma once
// Whether a standard stream is a terminal (for redrawn progress lines).

namespace tessaline::platform {

bool IsStderrTerminal();

}  // namespace tessaline::platform
