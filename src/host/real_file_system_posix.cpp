#include "host/real_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

#include "platform/path_names.h"
#include "platform/atomic_replace.h"
#include "platform/file_lock.h"

namespace tessaline {

namespace {

thread_local FileFault last_fault;

FileError KindOfErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return FileError::NotFound;
    case EACCES:
    case EPERM: return FileError::AccessDenied;
    case EISDIR: return FileError::IsDirectory;
    case ENOSPC:
    case EDQUOT: return FileError::NoSpace;
    case EROFS: return FileError::ReadOnlyFileSystem;
    case EIO: return FileError::Io;
    case ENAMETOOLONG: return FileError::NameTooLong;
    case ENXIO:
    case ENODEV: return FileError::NotRegular;
    case ELOOP: return FileError::LinkLoop;
    case EFBIG:
    case EOVERFLOW: return FileError::FileTooLarge;
    case EBUSY:
    case ETXTBSY: return FileError::Busy;
    case EXDEV: return FileError::CrossDevice;
    case EMFILE:
    case ENFILE: return FileError::TooManyOpenFiles;
    case ENOMEM: return FileError::OutOfMemory;
    case EINVAL:
    case EILSEQ: return FileError::InvalidName;
    case EEXIST: return FileError::Exists;
    case EINTR:
    case EPIPE: return FileError::Interrupted;
    default: return FileError::Other;
  }
}

// errno as a fault; errno itself is left as it was.
FileFault ErrnoFault() {
  const int error = errno;
  const FileError kind = KindOfErrno(error);
  return FileFault{kind, kind == FileError::Other ? error : 0};
}

// The fault of a file that is not a regular one.
FileFault NotRegularFault(const struct stat& info) {
  return FileFault{S_ISDIR(info.st_mode) ? FileError::IsDirectory : FileError::NotRegular, 0};
}

// What the streams and files opened tell through LastFault().
void RecordErrno() { last_fault = ErrnoFault(); }
void RecordFault(FileError kind) { last_fault = FileFault{kind, 0}; }

// Retries a call interrupted by a signal.
template <typename Call>
auto Retry(Call call) {
  for (;;) {
    auto result = call();
    if (result >= 0 || errno != EINTR) return result;
  }
}

class FdInputStream final : public InputStream {
 public:
  explicit FdInputStream(int fd) : fd_(fd) {}
  ~FdInputStream() override { close(fd_); }
  std::ptrdiff_t Read(char* buffer, std::size_t size) override {
    const ssize_t n = Retry([&] { return read(fd_, buffer, size); });
    if (n < 0) RecordErrno();
    return n;
  }

 private:
  int fd_;
};

class FdRandomAccessFile final : public RandomAccessFile {
 public:
  explicit FdRandomAccessFile(int fd) : fd_(fd) {}
  ~FdRandomAccessFile() override {
    if (fd_ >= 0) close(fd_);
  }
  std::ptrdiff_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = Retry([&] {
        return pread(fd_, buffer + done, size - done, static_cast<off_t>(offset + done));
      });
      if (n < 0) {
        RecordErrno();
        return -1;
      }
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    return static_cast<std::ptrdiff_t>(done);
  }
  bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) override {
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = Retry([&] {
        return pwrite(fd_, data + done, size - done, static_cast<off_t>(offset + done));
      });
      if (n <= 0) {
        if (n < 0) RecordErrno(); else RecordFault(FileError::NoSpace);
        return false;
      }
      done += static_cast<std::size_t>(n);
    }
    return true;
  }
  bool Close() override {
    const int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && close(fd) == 0) return true;
    RecordErrno();
    return false;
  }

 private:
  int fd_;
};

class FdOutputFile final : public OutputFile {
 public:
  explicit FdOutputFile(int fd) : fd_(fd) {}
  ~FdOutputFile() override {
    if (fd_ >= 0) close(fd_);
  }
  bool Write(std::string_view data) override {
    std::size_t done = 0;
    while (done < data.size()) {
      const ssize_t n = Retry([&] { return write(fd_, data.data() + done, data.size() - done); });
      if (n <= 0) {
        if (n < 0) RecordErrno(); else RecordFault(FileError::NoSpace);
        return false;
      }
      done += static_cast<std::size_t>(n);
    }
    written_ += data.size();
    StartWriteBack();
    return true;
  }
  bool Sync() override {
    if (fd_ >= 0 && Retry([&] { return fsync(fd_); }) == 0) return true;
    RecordErrno();
    return false;
  }
  bool Close() override {
    const int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && close(fd) == 0) return true;
    RecordErrno();
    return false;
  }

 private:
  // A large output is sent towards the disk while the rest of it is still
  // being made, so that the flush at its end waits for a last piece only,
  // not for the whole file. A hint: a failure shows at the flush anyway.
  void StartWriteBack() {
#ifdef SYNC_FILE_RANGE_WRITE
    constexpr std::uint64_t kWriteBackStep = std::uint64_t{8} << 20;
    if (written_ - sent_ < kWriteBackStep) return;
    sync_file_range(fd_, static_cast<off_t>(sent_), static_cast<off_t>(written_ - sent_), SYNC_FILE_RANGE_WRITE);
    sent_ = written_;
#endif
  }

  int fd_;
  std::uint64_t written_ = 0;  // bytes written
  std::uint64_t sent_ = 0;     // of them, sent towards the disk
};

std::string RandomSuffix() {
  static std::mt19937_64 generator{std::random_device{}() ^
                                   (static_cast<std::uint64_t>(getpid()) << 32)};
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string suffix;
  for (int i = 0; i < 10; ++i) suffix += kChars[generator() % (sizeof(kChars) - 1)];
  return suffix;
}

}  // namespace

PathType RealFileSystem::TypeOf(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    return {errno == ENOENT || errno == ENOTDIR ? FileType::Missing : FileType::Other, ErrnoFault()};
  }
  if (S_ISREG(info.st_mode)) return {FileType::Regular, {}};
  return {S_ISDIR(info.st_mode) ? FileType::Directory : FileType::Other, NotRegularFault(info)};
}

FileResult<std::uint64_t> RealFileSystem::Length(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    return ErrnoFault();
  }
  if (!S_ISREG(info.st_mode)) {
    return NotRegularFault(info);
  }
  return static_cast<std::uint64_t>(info.st_size);
}

FileResult<FileIdentity> RealFileSystem::Identity(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    return ErrnoFault();
  }
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

FileResult<std::unique_ptr<InputStream>> RealFileSystem::OpenRead(const std::string& path) {
  // O_NONBLOCK so that a FIFO put in place of the file cannot hang the open;
  // anything but a regular file is then refused.
  const int fd = Retry([&] { return open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); });
  if (fd < 0) {
    return ErrnoFault();
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const FileFault fault = fstat(fd, &info) != 0 ? ErrnoFault() : NotRegularFault(info);
    close(fd);
    return fault;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return std::make_unique<FdInputStream>(fd);
}

FileResult<std::unique_ptr<RandomAccessFile>> RealFileSystem::OpenRecords(const std::string& path) {
  const int fd = Retry([&] { return open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666); });
  if (fd < 0) {
    return ErrnoFault();
  }
  return std::make_unique<FdRandomAccessFile>(fd);
}

FileResult<std::unique_ptr<RandomAccessFile>> RealFileSystem::CreateRecordsExclusive(const std::string& path) {
  const int fd =
      Retry([&] { return open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600); });
  if (fd < 0) {
    return ErrnoFault();
  }
  return std::make_unique<FdRandomAccessFile>(fd);
}

FileResult<std::unique_ptr<OutputFile>> RealFileSystem::CreateTemporaryBeside(const std::string& target,
                                                                              std::string& temp_path) {
  const std::string folder = FolderOfPath(target);
  struct stat old;
  const bool had_old = stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  for (int attempt = 0; attempt < 100; ++attempt) {
    // A short name of its own, not the target's name with more added: it
    // must fit wherever the target's name fits (a name of 255 bytes is legal).
    // A leading dot and a ".tmp" end keep an unfinished file from being taken
    // for the output by a user or by the converters' own name rules.
    std::string candidate = folder + ".~" + RandomSuffix().substr(0, 8) + ".tmp";
    const int fd = Retry(
        [&] { return open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); });
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return ErrnoFault();
    }
    // The replacement keeps the permissions of the file it replaces; a new
    // file gets 0666 less the umask from open() itself.
    if (had_old && fchmod(fd, old.st_mode & 07777) != 0) {
      const FileFault fault = ErrnoFault();
      close(fd);
      unlink(candidate.c_str());
      return fault;
    }
    temp_path = std::move(candidate);
    return std::make_unique<FdOutputFile>(fd);
  }
  return FileFault{FileError::Exists, 0};  // no free name in a hundred tries
}

FileStatus RealFileSystem::Rename(const std::string& from, const std::string& to) {
  errno = 0;
  if (platform::ReplaceByRename(from, to)) return {};
  return errno != 0 ? ErrnoFault() : FileFault{FileError::Io, 0};
}

FileStatus RealFileSystem::SyncFolder(const std::string& folder) {
  const std::string name = folder.empty() ? std::string(".") : folder;
  const int fd = Retry([&] { return open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
  if (fd < 0) return ErrnoFault();
  FileStatus synced;
  if (Retry([&] { return fsync(fd); }) != 0) synced = ErrnoFault();
  close(fd);
  return synced;
}

FileStatus RealFileSystem::Remove(const std::string& path) {
  if (unlink(path.c_str()) == 0) return {};
  return ErrnoFault();
}

std::string RealFileSystem::ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int depth = 0; depth < 40; ++depth) {
    struct stat info;
    if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    std::vector<char> buffer(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
    const ssize_t length = readlink(current.c_str(), buffer.data(), buffer.size());
    if (length < 0 || static_cast<std::size_t>(length) >= buffer.size()) return current;
    std::string target(buffer.data(), static_cast<std::size_t>(length));
    current = (!target.empty() && target[0] == '/') ? target : FolderOfPath(current) + target;
  }
  return current;
}

FileStatus RealFileSystem::IsWritableFolder(const std::string& folder) {
  struct stat info;
  if (stat(folder.c_str(), &info) != 0) return ErrnoFault();
  if (!S_ISDIR(info.st_mode)) return FileFault{FileError::NotFound, 0};
  if (access(folder.c_str(), W_OK | X_OK) != 0) return ErrnoFault();
  return {};
}

FileStatus RealFileSystem::CreateFolders(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    errno = error.value();  // an errno value on POSIX, whichever category
    return ErrnoFault();
  }
  const PathType made = TypeOf(folder);
  if (made.type == FileType::Directory) return {};
  // A file of that name where the folder should be.
  return made.why.error != FileError::None ? made.why : FileFault{FileError::Exists, 0};
}

LockResult RealFileSystem::TryLock(const std::string& path) { return platform::TryLockFile(path); }

FileFault RealFileSystem::LastFault() const { return last_fault; }

}  // namespace tessaline
