#include "platform/app_folders.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "platform/path_names.h"
#include "platform/wide_text_win.h"

namespace tessaline::platform {

namespace {

std::string Environment(const wchar_t* name) {
  const wchar_t* value = _wgetenv(name);
  return (value && *value) ? Narrow(value) : std::string();
}

}  // namespace

std::string ProgramFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return "";
    // A full buffer means the name may have been cut: try a larger one.
    if (length < buffer.size()) {
      std::string folder = FolderOfPath(Narrow(std::wstring_view(buffer.data(), length)));
      // "C:\" keeps its separator: "C:" alone would mean the current folder of drive C.
      if (folder.size() > 1 && IsPathSeparator(folder.back()) &&
          !(folder.size() == 3 && folder[1] == ':')) {
        folder.pop_back();
      }
      return folder;
    }
    if (buffer.size() >= 32768) return "";
    buffer.resize(buffer.size() * 2);
  }
}

std::string CacheFolder() {
  std::string local = Environment(L"LOCALAPPDATA");
  if (local.empty()) {
    const std::string profile = Environment(L"USERPROFILE");
    if (profile.empty()) return "";
    local = JoinPath(JoinPath(profile, "AppData"), "Local");
  }
  return JoinPath(local, "Tessaline");
}

}  // namespace tessaline::platform
