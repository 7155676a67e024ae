#pragma once
// The folders the program keeps its own files in.

#include <string>

namespace tessaline::platform {

// The folder of the running executable ("" when the platform cannot tell).
std::string ProgramFolder();

// The user's cache folder for this program: $XDG_CACHE_HOME/tessaline, else
// ~/.cache/tessaline (POSIX); %LOCALAPPDATA%\Tessaline (Windows). Not created.
std::string CacheFolder();

}  // namespace tessaline::platform
