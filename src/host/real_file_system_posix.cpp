#include "host/real_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <random>
#include <system_error>
#include <string_view>

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

// A temporary output. Made without a name where the system can (Linux's
// O_TMPFILE): a run that is killed, whatever kills it, then leaves nothing
// behind; the file gets its name beside the target only when it is closed,
// right before the rename. A named one carries a lock as long as it is open,
// which tells a later run that it is no leftover (RemoveStaleTemporaries).
class FdOutputFile final : public OutputFile {
 public:
  FdOutputFile(int fd, std::string name_due) : fd_(fd), name_due_(std::move(name_due)) {}
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
    const bool named = fd >= 0 && GiveName(fd);
    if (named && close(fd) == 0) return true;
    if (!named && fd >= 0) {
      const int error = errno;
      close(fd);
      errno = error;
    }
    RecordErrno();
    return false;
  }
  bool HasName() const override { return name_due_.empty(); }

 private:
  bool GiveName(int fd) {
#ifdef O_TMPFILE
    if (name_due_.empty()) return true;
    // Linking a descriptor itself needs a privilege; its entry under /proc
    // does not.
    const bool linked = linkat(fd, "", AT_FDCWD, name_due_.c_str(), AT_EMPTY_PATH) == 0 ||
                        linkat(AT_FDCWD, ("/proc/self/fd/" + std::to_string(fd)).c_str(), AT_FDCWD,
                               name_due_.c_str(), AT_SYMLINK_FOLLOW) == 0;
    if (linked) name_due_.clear();
    return linked;
#else
    (void)fd;
    return true;
#endif
  }

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
  std::string name_due_;       // the name a file made without one gets at Close
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

// The name of a temporary output: a short name of its own, not the target's
// name with more added, so that it fits wherever the target's name fits (a
// name of 255 bytes is legal). A leading dot and a ".tmp" end keep an
// unfinished file from being taken for the output by a user or by the
// converters' own name rules.
std::string TemporaryName(const std::string& folder) { return folder + ".~" + RandomSuffix().substr(0, 8) + ".tmp"; }

bool IsTemporaryName(std::string_view name) {
  if (name.size() != 14 || name.substr(0, 2) != ".~" || name.substr(10) != ".tmp") return false;
  for (char c : name.substr(2, 8)) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

// The rule the kernel applies under fs.protected_symlinks, which a program
// may not count on being switched on: in a folder that anyone may write in
// and only owners may delete from (/tmp), a link that belongs neither to
// this user nor to the folder's owner was planted by someone else, and
// following it would write wherever they chose.
bool IsForeignLink(const std::string& path) {
  struct stat link;
  if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return false;
  const std::string folder = FolderOfPath(path);
  struct stat shared;
  if (stat(folder.empty() ? "." : folder.c_str(), &shared) != 0) return false;
  return (shared.st_mode & S_ISVTX) != 0 && (shared.st_mode & S_IWOTH) != 0 && link.st_uid != geteuid() &&
         link.st_uid != shared.st_uid;
}

// Settles how long a temporary file no run holds must have lain unchanged
// before it counts as left over: a run lets go of its lock a moment before
// it renames the file.
constexpr std::time_t kSettledSeconds = 10;

// Removes this user's temporary outputs that a run killed before its rename
// left in `folder`: those no live run holds a lock on. Another user's files
// and anything not named as ours are left alone; nothing is reported.
void RemoveStaleTemporaries(const std::string& folder) {
  const int saved_errno = errno;
  if (DIR* listing = opendir(folder.empty() ? "." : folder.c_str())) {
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = readdir(listing)) {
      if (!IsTemporaryName(entry->d_name)) continue;
      const std::string path = folder + entry->d_name;
      const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
      if (fd < 0) continue;
      struct stat held, named;
      if (fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == geteuid() &&
          now - held.st_mtime >= kSettledSeconds && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
          lstat(path.c_str(), &named) == 0 && named.st_ino == held.st_ino && named.st_dev == held.st_dev) {
        unlink(path.c_str());
      }
      close(fd);
    }
    closedir(listing);
  }
  errno = saved_errno;
}

// A new temporary output in `folder`, with `mode` from the call that makes
// it; -1 with errno set on failure. `name` gets the name it has, or will
// have once closed.
int CreateTemporaryIn(const std::string& folder, mode_t mode, std::string& name, bool& unnamed) {
#ifdef O_TMPFILE
  name = TemporaryName(folder);
  int fd = Retry([&] { return open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode); });
  if (fd >= 0) {
    unnamed = true;
    return fd;
  }
  // File systems without unnamed files refuse in one of these ways.
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return -1;
#endif
  unnamed = false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = TemporaryName(folder);
    const int fd = Retry([&] { return open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode); });
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;  // no free name in a hundred tries: errno says EEXIST
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
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                      static_cast<std::uint32_t>(info.st_mode & 0777)};
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
  if (IsForeignLink(path)) return FileFault{FileError::ForeignLink, 0};
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
                                                                              std::string& temp_path,
                                                                              std::uint32_t readers) {
  if (IsForeignLink(target)) return FileFault{FileError::ForeignLink, 0};
  const std::string folder = FolderOfPath(target);
  RemoveStaleTemporaries(folder);
  // The replacement has the permissions of the file it replaces from the
  // call that makes it, so that no one may read it who could not read the
  // old file; a new file gets 0666 less the umask. Either way the group and
  // others get no more than the input gives them; the user keeps their own.
  struct stat old;
  const bool had_old = stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  const mode_t mode = (had_old ? (old.st_mode & 0777) : 0666) & static_cast<mode_t>((readers & 0077) | 0700);
  std::string name;
  bool unnamed = false;
  const int fd = CreateTemporaryIn(folder, mode, name, unnamed);
  if (fd < 0) return ErrnoFault();
  // The umask may have taken bits the old file had: given back while the
  // file is still empty, never wider than the old file.
  struct stat made;
  if (had_old && fstat(fd, &made) == 0 && (made.st_mode & 0777) != mode) fchmod(fd, mode);
  // Held until the file is closed: a later run sees that it is no leftover.
  flock(fd, LOCK_EX | LOCK_NB);
  temp_path = name;
  return std::make_unique<FdOutputFile>(fd, unnamed ? std::move(name) : std::string());
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
