#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace tessaline::platform {

namespace {

class FlockLock final : public FileLock {
 public:
  explicit FlockLock(int fd) : fd_(fd) {}
  ~FlockLock() override { close(fd_); }  // closing releases the lock

 private:
  int fd_;
};

}  // namespace

LockResult TryLockFile(const std::string& path) {
  LockResult result;
  // A lock file is the program's own: a link in its place is never followed
  // (another user's, planted in a shared folder, would have the program
  // create or open a file of their choosing).
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return result;
  int rc;
  do {
    rc = flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    result.state = (errno == EWOULDBLOCK) ? LockState::HeldElsewhere : LockState::Failed;
    close(fd);
    return result;
  }
  result.state = LockState::Acquired;
  result.lock = std::make_unique<FlockLock>(fd);
  return result;
}

}  // namespace tessaline::platform
