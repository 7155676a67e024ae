#include "platform/atomic_replace.h"

#include <cstdio>

namespace tessaline::platform {

bool ReplaceByRename(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace tessaline::platform
