#pragma once
// An exclusive advisory lock on a lock file, taken without waiting: flock on
// POSIX, LockFileEx on Windows. The lock goes with the object.

#include "host/file_system.h"

namespace tessaline::platform {

LockResult TryLockFile(const std::string& path);

}  // namespace tessaline::platform
