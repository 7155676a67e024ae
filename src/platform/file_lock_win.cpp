#include "platform/file_lock.h"

#include <windows.h>

#include "platform/wide_text_win.h"

namespace tessaline::platform {

namespace {

class LockFileExLock final : public FileLock {
 public:
  explicit LockFileExLock(HANDLE handle) : handle_(handle) {}
  ~LockFileExLock() override { CloseHandle(handle_); }  // closing releases the lock

 private:
  HANDLE handle_;
};

}  // namespace

LockResult TryLockFile(const std::string& path) {
  LockResult result;
  const std::wstring wide = Widen(path);
  if (wide.empty()) return result;
  // Every sharing mode, so that holding the lock never stops another copy
  // from opening the file to try its own lock.
  const HANDLE handle =
      CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return result;
  // One byte at offset 0: a lock may lie beyond the end of the (empty) file.
  OVERLAPPED where = {};
  if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where)) {
    const DWORD error = GetLastError();
    result.state = error == ERROR_LOCK_VIOLATION ? LockState::HeldElsewhere : LockState::Failed;
    CloseHandle(handle);
    return result;
  }
  result.state = LockState::Acquired;
  result.lock = std::make_unique<LockFileExLock>(handle);
  return result;
}

}  // namespace tessaline::platform
