#pragma once
// A file system for tests that passes every call to a real one and can make
// chosen calls fail: the way to test unreadable files, unwritable folders,
// full disks and held locks when the tests run as root.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/file_system.h"

namespace tessaline {

enum class FsCall {
  TypeOf,
  Length,
  Identity,
  OpenRead,
  Read,
  OpenRecords,
  CreateRecordsExclusive,
  ReadAt,
  WriteAt,
  CloseRecords,
  CreateTemporary,
  Write,
  SyncOutput,
  CloseOutput,
  Rename,
  SyncFolder,
  Remove,
  IsWritableFolder,
  CreateFolders,
  TryLock,
};
inline constexpr int kFsCallCount = static_cast<int>(FsCall::TryLock) + 1;
const char* FsCallName(FsCall call);

// The system error number an injected FileError::Other carries.
inline constexpr int kInjectedSystemCode = 9999;

class FaultyFileSystem final : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

  // Makes a call of kind `call` fail with `error` (the fault it returns, or
  // for a stream's or file's call the one LastFault() tells): the `nth` one (counted
  // from 1 among the calls made from now on whose path contains `path_part`),
  // or every one when `nth` is 0. One rule per kind; a new rule replaces the
  // old. An injected FileError::Other carries the system code kInjectedSystemCode.
  void Fail(FsCall call, int nth = 0, std::string path_part = "", FileError error = FileError::Io);
  void Clear();
  // Streams opened from now on for a path that contains `path_part` read
  // as if the file changed while it was read, the lengths told before
  // staying as they were: `bytes` < 0 ends them that many bytes before the
  // file's end, `bytes` > 0 hands out that many more bytes after it.
  void ChangeWhileRead(std::string path_part, std::int64_t bytes) {
    change_part_ = std::move(path_part);
    change_bytes_ = bytes;
  }
  // A failing TryLock answers HeldElsewhere instead of Failed.
  void SetLockHeldElsewhere(bool held) { lock_held_elsewhere_ = held; }

  // Runs before every call, as it is made (a test acting at a chosen moment).
  void BeforeEachCall(std::function<void(FsCall, const std::string&)> action) { before_call_ = std::move(action); }

  // Calls of each kind made so far (all paths).
  int Count(FsCall call) const { return counts_[static_cast<int>(call)]; }
  // Every call made so far, in order (the order of a write's steps).
  const std::vector<FsCall>& Log() const { return log_; }
  // Calls that were made to fail so far.
  int FailuresInjected() const { return failures_; }

  PathType TypeOf(const std::string& path) override;
  FileResult<std::uint64_t> Length(const std::string& path) override;
  FileResult<FileIdentity> Identity(const std::string& path) override;
  FileResult<std::unique_ptr<InputStream>> OpenRead(const std::string& path) override;
  FileResult<std::unique_ptr<RandomAccessFile>> OpenRecords(const std::string& path) override;
  FileResult<std::unique_ptr<RandomAccessFile>> CreateRecordsExclusive(const std::string& path) override;
  FileResult<std::unique_ptr<OutputFile>> CreateTemporaryBeside(const std::string& target,
                                                                std::string& temp_path, std::uint32_t readers) override;
  FileStatus Rename(const std::string& from, const std::string& to) override;
  FileStatus SyncFolder(const std::string& folder) override;
  FileStatus Remove(const std::string& path) override;
  FileStatus IsWritableFolder(const std::string& folder) override;
  FileStatus CreateFolders(const std::string& folder) override;
  LockResult TryLock(const std::string& path) override;
  // Of the streams and files: the injected error when the latest failure
  // was injected, else the inner one's. The calls above return theirs.
  FileFault LastFault() const override;

  // Used by the wrapped streams and files.
  bool ShouldFail(FsCall call, const std::string& path);

 private:
  struct Rule {
    bool active = false;
    int nth = 0;
    std::string path_part;
    int seen = 0;
    FileError error = FileError::Io;
  };
  FileSystem& inner_;
  std::array<Rule, kFsCallCount> rules_{};
  std::array<int, kFsCallCount> counts_{};
  std::vector<FsCall> log_;
  int failures_ = 0;
  bool lock_held_elsewhere_ = false;
  std::function<void(FsCall, const std::string&)> before_call_;
  std::string change_part_;
  std::int64_t change_bytes_ = 0;
  std::optional<FileFault> injected_;  // the latest injected fault
  FileFault inner_before_injection_;   // the inner one's at that moment
};

}  // namespace tessaline
