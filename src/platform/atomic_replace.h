#pragma once
// Puts a finished file in place of another in one step: readers see either
// the old file or the new one, never a mixture (rename on POSIX,
// MoveFileEx with MOVEFILE_REPLACE_EXISTING on Windows).

#include <string>

namespace tessaline::platform {

bool ReplaceByRename(const std::string& from, const std::string& to);

}  // namespace tessaline::platform
