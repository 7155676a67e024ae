#include "host/real_file_system.h"

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <random>
#include <string_view>
#include <system_error>

#include "platform/path_names.h"
#include "platform/atomic_replace.h"
#include "platform/file_lock.h"
#include "platform/wide_text_win.h"

namespace tessaline {

namespace {

using platform::Narrow;
using platform::Widen;

// Every sharing mode: the program's own files behave as on POSIX, where an
// open file can still be renamed, replaced or deleted by another handle.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// ReadFile and WriteFile take 32-bit sizes.
constexpr std::size_t kLargestTransfer = 1u << 30;

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  HANDLE release() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
  }

 private:
  HANDLE handle_;
};

// Opens `path` only to look at it, following links; directories too.
HANDLE OpenForQuery(const std::string& path) {
  const std::wstring wide = Widen(path);
  if (wide.empty()) return INVALID_HANDLE_VALUE;
  return CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

thread_local FileFault last_fault;

FileError KindOfError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NOT_READY:
    case ERROR_DIRECTORY: return FileError::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_PRIVILEGE_NOT_HELD: return FileError::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FileError::NoSpace;
    case ERROR_WRITE_PROTECT: return FileError::ReadOnlyFileSystem;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_IO_DEVICE:
    case ERROR_GEN_FAILURE:
    case ERROR_SECTOR_NOT_FOUND: return FileError::Io;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW: return FileError::NameTooLong;
    case ERROR_CANT_RESOLVE_FILENAME: return FileError::LinkLoop;
    case ERROR_FILE_TOO_LARGE: return FileError::FileTooLarge;
    case ERROR_BUSY:
    case ERROR_DRIVE_LOCKED:
    case ERROR_USER_MAPPED_FILE: return FileError::Busy;
    case ERROR_NOT_SAME_DEVICE: return FileError::CrossDevice;
    case ERROR_TOO_MANY_OPEN_FILES: return FileError::TooManyOpenFiles;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return FileError::OutOfMemory;
    case ERROR_BAD_PATHNAME: return FileError::InvalidName;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return FileError::Exists;
    case ERROR_OPERATION_ABORTED:
    case ERROR_BROKEN_PIPE: return FileError::Interrupted;
    default: return FileError::Other;
  }
}

// GetLastError() as a fault; the error itself is kept.
FileFault LastErrorFault() {
  const DWORD error = GetLastError();
  const FileError kind = KindOfError(error);
  SetLastError(error);
  return FileFault{kind, kind == FileError::Other ? static_cast<int>(error) : 0};
}

// A name that is no valid UTF-8 names no file.
constexpr FileFault kBadName{FileError::NotFound, 0};

// What the streams and files opened tell through LastFault().
void RecordLastError() { last_fault = LastErrorFault(); }

bool IsMissingError(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_INVALID_NAME || error == ERROR_DIRECTORY ||
         error == ERROR_INVALID_DRIVE || error == ERROR_BAD_NETPATH ||
         error == ERROR_BAD_NET_NAME || error == ERROR_NOT_READY;
}

// Devices (NUL, CON, COM1...) and pipes open like files but are none: only
// a disk file or folder counts.
FileType TypeOfHandle(HANDLE handle) {
  if (GetFileType(handle) != FILE_TYPE_DISK) return FileType::Other;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return FileType::Other;
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileType::Directory
                                                            : FileType::Regular;
}

FileFault NotRegularFault(FileType type) {
  return FileFault{type == FileType::Directory ? FileError::IsDirectory : FileError::NotRegular, 0};
}

// Whether `handle` is open on a regular file, and why not.
FileStatus OpenOnRegularFile(const Handle& handle) {
  if (!handle.valid()) return LastErrorFault();
  const FileType type = TypeOfHandle(handle.get());
  if (type == FileType::Regular) return {};
  return NotRegularFault(type);
}

class HandleInputStream final : public InputStream {
 public:
  explicit HandleInputStream(HANDLE handle) : handle_(handle) {}
  std::ptrdiff_t Read(char* buffer, std::size_t size) override {
    DWORD done = 0;
    const DWORD wanted = static_cast<DWORD>(size < kLargestTransfer ? size : kLargestTransfer);
    if (!ReadFile(handle_.get(), buffer, wanted, &done, nullptr)) {
      if (GetLastError() == ERROR_HANDLE_EOF) return 0;
      RecordLastError();
      return -1;
    }
    return static_cast<std::ptrdiff_t>(done);
  }

 private:
  Handle handle_;
};

class HandleRandomAccessFile final : public RandomAccessFile {
 public:
  explicit HandleRandomAccessFile(HANDLE handle) : handle_(handle) {}
  std::ptrdiff_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    if (!handle_.valid()) return -1;
    std::size_t done = 0;
    while (done < size) {
      OVERLAPPED where = At(offset + done);
      DWORD n = 0;
      const std::size_t left = size - done;
      if (!ReadFile(handle_.get(), buffer + done,
                    static_cast<DWORD>(left < kLargestTransfer ? left : kLargestTransfer), &n,
                    &where)) {
        if (GetLastError() == ERROR_HANDLE_EOF) break;
        RecordLastError();
        return -1;
      }
      if (n == 0) break;
      done += n;
    }
    return static_cast<std::ptrdiff_t>(done);
  }
  bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) override {
    if (!handle_.valid()) return false;
    std::size_t done = 0;
    while (done < size) {
      OVERLAPPED where = At(offset + done);
      DWORD n = 0;
      const std::size_t left = size - done;
      if (!WriteFile(handle_.get(), data + done,
                     static_cast<DWORD>(left < kLargestTransfer ? left : kLargestTransfer), &n,
                     &where) ||
          n == 0) {
        if (n == 0) SetLastError(ERROR_DISK_FULL);
        RecordLastError();
        return false;
      }
      done += n;
    }
    return true;
  }
  bool Close() override {
    const HANDLE handle = handle_.release();
    if (handle != INVALID_HANDLE_VALUE && CloseHandle(handle) != 0) return true;
    RecordLastError();
    return false;
  }

 private:
  // On a handle opened without FILE_FLAG_OVERLAPPED the call still waits;
  // the structure only carries the offset.
  static OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED where = {};
    where.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return where;
  }

  Handle handle_;
};

// Where a temporary output's own lock lies: a byte far beyond any content,
// so that it never stands in the way of the writes (Windows' locks are
// mandatory), held by the handle that writes the file.
OVERLAPPED TemporaryLockPlace() {
  OVERLAPPED place = {};
  place.OffsetHigh = 0x40000000;
  return place;
}

bool LockTemporary(HANDLE handle) {
  OVERLAPPED place = TemporaryLockPlace();
  return LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &place) != 0;
}

// A temporary output, locked as long as it is open: a later run sees that
// it is no leftover (RemoveStaleTemporaries).
class HandleOutputFile final : public OutputFile {
 public:
  explicit HandleOutputFile(HANDLE handle) : handle_(handle) { LockTemporary(handle); }
  bool Write(std::string_view data) override {
    if (!handle_.valid()) return false;
    std::size_t done = 0;
    while (done < data.size()) {
      DWORD n = 0;
      const std::size_t left = data.size() - done;
      if (!WriteFile(handle_.get(), data.data() + done,
                     static_cast<DWORD>(left < kLargestTransfer ? left : kLargestTransfer), &n,
                     nullptr) ||
          n == 0) {
        if (n == 0) SetLastError(ERROR_DISK_FULL);
        RecordLastError();
        return false;
      }
      done += n;
    }
    return true;
  }
  bool Sync() override {
    if (handle_.valid() && FlushFileBuffers(handle_.get()) != 0) return true;
    RecordLastError();
    return false;
  }
  bool Close() override {
    const HANDLE handle = handle_.release();
    if (handle != INVALID_HANDLE_VALUE && CloseHandle(handle) != 0) return true;
    RecordLastError();
    return false;
  }

 private:
  Handle handle_;
};

std::string RandomSuffix() {
  static std::atomic<std::uint64_t> counter{0};
  static std::mt19937_64 generator{std::random_device{}() ^
                                   (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) ^
                                   GetTickCount64()};
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::uint64_t bits = generator() ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15u);
  std::string suffix;
  for (int i = 0; i < 10; ++i) {
    suffix += kChars[bits % (sizeof(kChars) - 1)];
    bits /= (sizeof(kChars) - 1);
  }
  return suffix;
}

}  // namespace

PathType RealFileSystem::TypeOf(const std::string& path) {
  Handle handle(OpenForQuery(path));
  if (!handle.valid()) {
    if (Widen(path).empty()) SetLastError(ERROR_INVALID_NAME);
    const FileFault fault = LastErrorFault();
    return {IsMissingError(GetLastError()) ? FileType::Missing : FileType::Other, fault};
  }
  const FileType type = TypeOfHandle(handle.get());
  if (type == FileType::Regular) return {type, {}};
  return {type, NotRegularFault(type)};
}

FileResult<std::uint64_t> RealFileSystem::Length(const std::string& path) {
  Handle handle(OpenForQuery(path));
  if (const FileStatus regular = OpenOnRegularFile(handle); !regular) return regular;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handle.get(), &size)) return LastErrorFault();
  return static_cast<std::uint64_t>(size.QuadPart);
}

FileResult<FileIdentity> RealFileSystem::Identity(const std::string& path) {
  Handle handle(OpenForQuery(path));
  BY_HANDLE_FILE_INFORMATION info;
  if (!handle.valid() || !GetFileInformationByHandle(handle.get(), &info)) return LastErrorFault();
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

FileResult<std::unique_ptr<InputStream>> RealFileSystem::OpenRead(const std::string& path) {
  const std::wstring wide = Widen(path);
  if (wide.empty()) {
    return kBadName;
  }
  // A folder does not open without FILE_FLAG_BACKUP_SEMANTICS; a device
  // (CON, a named pipe) does, and is refused by its type.
  Handle handle(CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (const FileStatus regular = OpenOnRegularFile(handle); !regular) return regular;
  return std::make_unique<HandleInputStream>(handle.release());
}

FileResult<std::unique_ptr<RandomAccessFile>> RealFileSystem::OpenRecords(const std::string& path) {
  const std::wstring wide = Widen(path);
  if (wide.empty()) {
    return kBadName;
  }
  Handle handle(CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr));
  if (const FileStatus regular = OpenOnRegularFile(handle); !regular) return regular;
  return std::make_unique<HandleRandomAccessFile>(handle.release());
}

FileResult<std::unique_ptr<RandomAccessFile>> RealFileSystem::CreateRecordsExclusive(const std::string& path) {
  const std::wstring wide = Widen(path);
  if (wide.empty()) {
    return kBadName;
  }
  Handle handle(CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr));
  if (!handle.valid()) {
    return LastErrorFault();
  }
  return std::make_unique<HandleRandomAccessFile>(handle.release());
}

namespace {

bool IsTemporaryName(std::wstring_view name) {
  if (name.size() != 14 || name.substr(0, 2) != L".~" || name.substr(10) != L".tmp") return false;
  for (wchar_t c : name.substr(2, 8)) {
    if (!((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9'))) return false;
  }
  return true;
}

// How long a temporary file no run holds must have lain unchanged before it
// counts as left over: a run lets go of its lock a moment before it renames
// the file. In 100 ns steps.
constexpr ULONGLONG kSettled = 10ull * 10000000ull;

// Removes the temporary outputs that runs killed before their rename left
// in `folder` (Windows has no file without a name): those no live run holds
// the lock of. Anything not named as ours is left alone; nothing is reported.
void RemoveStaleTemporaries(const std::string& folder) {
  const DWORD saved_error = GetLastError();
  const std::wstring wide_folder = Widen(folder.empty() ? std::string(".\\") : folder);
  WIN32_FIND_DATAW found;
  const HANDLE search = wide_folder.empty() ? INVALID_HANDLE_VALUE
                                            : FindFirstFileW((wide_folder + L".~*.tmp").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    FILETIME now_time;
    GetSystemTimeAsFileTime(&now_time);
    const ULONGLONG now = (ULONGLONG{now_time.dwHighDateTime} << 32) | now_time.dwLowDateTime;
    do {
      const ULONGLONG written =
          (ULONGLONG{found.ftLastWriteTime.dwHighDateTime} << 32) | found.ftLastWriteTime.dwLowDateTime;
      if (!IsTemporaryName(found.cFileName) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
          (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || now < written + kSettled) {
        continue;
      }
      const std::wstring path = wide_folder + found.cFileName;
      const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
      if (file == INVALID_HANDLE_VALUE) continue;
      const bool held = !LockTemporary(file);
      CloseHandle(file);
      if (!held) DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  SetLastError(saved_error);
}

}  // namespace

FileResult<std::unique_ptr<OutputFile>> RealFileSystem::CreateTemporaryBeside(const std::string& target,
                                                                              std::string& temp_path,
                                                                              std::uint32_t /*readers*/) {
  const std::string folder = FolderOfPath(target);
  RemoveStaleTemporaries(folder);
  // A new file takes the permissions the folder hands down, which is what a
  // file written in place would have had; the rename keeps them. (The
  // input's permission bits mean nothing here: Windows has access lists.)
  for (int attempt = 0; attempt < 100; ++attempt) {
    // A short name of its own, not the target's name with more added: it
    // must fit wherever the target's name fits (a name of 255 bytes is legal).
    // A leading dot and a ".tmp" end keep an unfinished file from being taken
    // for the output by a user or by the converters' own name rules.
    std::string candidate = folder + ".~" + RandomSuffix().substr(0, 8) + ".tmp";
    const std::wstring wide = Widen(candidate);
    if (wide.empty()) {
      return kBadName;
    }
    Handle handle(CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid()) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
      return LastErrorFault();
    }
    temp_path = std::move(candidate);
    return std::make_unique<HandleOutputFile>(handle.release());
  }
  return FileFault{FileError::Exists, 0};  // no free name in a hundred tries
}

FileStatus RealFileSystem::Rename(const std::string& from, const std::string& to) {
  SetLastError(ERROR_SUCCESS);
  if (platform::ReplaceByRename(from, to)) return {};
  if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_GEN_FAILURE);
  return LastErrorFault();
}

// The rename is made with MOVEFILE_WRITE_THROUGH, which returns only once the
// folder's new entry is on the disk; a folder handle cannot be flushed.
FileStatus RealFileSystem::SyncFolder(const std::string&) { return {}; }

FileStatus RealFileSystem::Remove(const std::string& path) {
  const std::wstring wide = Widen(path);
  if (wide.empty()) {
    return kBadName;
  }
  if (DeleteFileW(wide.c_str()) != 0) return {};
  return LastErrorFault();
}

FileStatus RealFileSystem::IsWritableFolder(const std::string& folder) {
  if (const PathType type = TypeOf(folder); type.type != FileType::Directory) {
    return type.why.error != FileError::None ? type.why : FileFault{FileError::NotFound, 0};
  }
  // Access rights on Windows come from ACLs that no cheap call answers for
  // sure: try to make a file there, which the system deletes on closing.
  for (int attempt = 0; attempt < 10; ++attempt) {
    const std::wstring probe = Widen(JoinPath(folder, ".tessaline-probe-" + RandomSuffix()));
    if (probe.empty()) {
      return kBadName;
    }
    const HANDLE handle =
        CreateFileW(probe.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE,
                    nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      CloseHandle(handle);
      return {};
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return LastErrorFault();
  }
  return FileFault{FileError::Exists, 0};
}

FileStatus RealFileSystem::CreateFolders(const std::string& folder) {
  const std::wstring wide = Widen(folder);
  if (wide.empty()) {
    return kBadName;
  }
  // From UTF-16: a std::filesystem::path made from a narrow string would
  // read it in the ANSI code page.
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(wide), error);
  if (error) {
    SetLastError(static_cast<DWORD>(error.value()));  // a Win32 error code here
    return LastErrorFault();
  }
  const PathType made = TypeOf(folder);
  if (made.type == FileType::Directory) return {};
  // A file of that name where the folder should be.
  return made.why.error != FileError::None ? made.why : FileFault{FileError::Exists, 0};
}

LockResult RealFileSystem::TryLock(const std::string& path) { return platform::TryLockFile(path); }

FileFault RealFileSystem::LastFault() const { return last_fault; }

}  // namespace tessaline
