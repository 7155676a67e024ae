#include "platform/atomic_replace.h"

#include <windows.h>

#include "platform/wide_text_win.h"

namespace tessaline::platform {

bool ReplaceByRename(const std::string& from, const std::string& to) {
  const std::wstring wide_from = Widen(from);
  const std::wstring wide_to = Widen(to);
  if (wide_from.empty() || wide_to.empty()) return false;
  // Within one volume this is a rename of the directory entry; WRITE_THROUGH
  // makes the call return only once the rename is on disk.
  return MoveFileExW(wide_from.c_str(), wide_to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace tessaline::platform
