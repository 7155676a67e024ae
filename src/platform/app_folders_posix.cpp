#include "platform/app_folders.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/path_names.h"

namespace tessaline::platform {

std::string ProgramFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return "";
    if (static_cast<std::size_t>(length) < buffer.size()) {
      std::string folder = FolderOfPath(std::string(buffer.data(), static_cast<std::size_t>(length)));
      if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
      return folder;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string CacheFolder() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg && *xdg == '/') return JoinPath(xdg, "tessaline");
  const char* home = std::getenv("HOME");
  if (home && *home) return JoinPath(JoinPath(home, ".cache"), "tessaline");
  return "";
}

}  // namespace tessaline::platform
