#pragma once
// An exclusive advisory lock on a lock file, taken without waiting: flock on
// POSIX, LockFileEx on Windows. The lock goes with the object.

#include <memory>
#include <string>

namespace tessaline {

// Held while alive; the destructor releases it.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

enum class LockState { Acquired, HeldElsewhere, Failed };

struct LockResult {
  LockState state = LockState::Failed;
  std::unique_ptr<FileLock> lock;  // set when Acquired
};

}  // namespace tessaline

namespace tessaline::platform {

LockResult TryLockFile(const std::string& path);

}  // namespace tessaline::platform
