#pragma once
// The converters' only way to the disk. RealFileSystem is buffered I/O on
// the platform; FaultyFileSystem (tests) wraps it and can make any call fail.
// Every call of the file system returns why it failed with its answer
// (file_status.h); after a failed call of a stream or file it opened,
// LastFault() tells why.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "host/file_error.h"
#include "host/file_status.h"
#include "platform/file_lock.h"

namespace tessaline {

enum class FileType { Missing, Regular, Directory, Other };

// Which object on disk a path names: two paths name the same file when their
// identities are equal (hard links, case-insensitive names, "./x" and "x").
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  // Who may read and write the file (POSIX permission bits; 0777 where the
  // system has none): not part of which file it is.
  std::uint32_t permissions = 0777;
  bool operator==(const FileIdentity& other) const { return device == other.device && inode == other.inode; }
};

// Sequential reading.
class InputStream {
 public:
  virtual ~InputStream() = default;
  // Up to `size` bytes into `buffer`; 0 at the end; -1 on a read failure.
  virtual std::ptrdiff_t Read(char* buffer, std::size_t size) = 0;
};

// Random access by byte offset (the staging store); callers buffer.
class RandomAccessFile {
 public:
  virtual ~RandomAccessFile() = default;
  // Returns the number of bytes read (short at the end of the file), -1 on failure.
  virtual std::ptrdiff_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) = 0;
  virtual bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) = 0;
  // Flushes and closes; false when anything written could not be stored.
  virtual bool Close() = 0;
};

// A new file being written from its start.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual bool Write(std::string_view data) = 0;
  // Asks the system to put what was written on the disk itself, so that the
  // file survives a power cut once it has replaced another. False when the
  // data could not be stored.
  virtual bool Sync() = 0;
  // False when the data could not be stored (a full disk shows here). A
  // temporary file made without a name gets its name here.
  virtual bool Close() = 0;
  // Whether the file has a name on the disk yet (one made without a name
  // that is dropped unclosed leaves nothing to remove).
  virtual bool HasName() const { return true; }
};

// What a path names and, when it is no regular file, why not: NotFound,
// IsDirectory, NotRegular, or the error met finding out.
struct PathType {
  FileType type = FileType::Missing;
  FileFault why;
  bool operator==(FileType other) const { return type == other; }
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The type of what `path` names, following symbolic links.
  virtual PathType TypeOf(const std::string& path) = 0;
  bool Exists(const std::string& path) { return TypeOf(path).type != FileType::Missing; }
  virtual FileResult<std::uint64_t> Length(const std::string& path) = 0;
  virtual FileResult<FileIdentity> Identity(const std::string& path) = 0;

  // The file opened for reading.
  virtual FileResult<std::unique_ptr<InputStream>> OpenRead(const std::string& path) = 0;

  // Opens for reading and writing, creating the file when missing; the
  // content is kept. Another user's link in a shared folder is refused as
  // by CreateTemporaryBeside.
  virtual FileResult<std::unique_ptr<RandomAccessFile>> OpenRecords(const std::string& path) = 0;
  // Creates a new file; fails when one of that name exists.
  virtual FileResult<std::unique_ptr<RandomAccessFile>> CreateRecordsExclusive(const std::string& path) = 0;

  // Creates a new, uniquely named file in the folder of `target`, never
  // replacing anything; it has from its creation the permissions `target`
  // has, or the usual ones for a new file when `target` does not exist. On
  // success `temp_path` holds its name (where the system allows, the file
  // gets it only when closed: a run killed before leaves nothing). Refuses
  // a `target` that is another user's symbolic link in a shared folder
  // (FileError::ForeignLink). Temporary files of this user that runs killed
  // before their rename left in that folder are removed first. What the
  // group and others may do with it is bounded by `readers` (the permission
  // bits of the file it is made from): no one may read an output who could
  // not read its input.
  virtual FileResult<std::unique_ptr<OutputFile>> CreateTemporaryBeside(const std::string& target,
                                                                        std::string& temp_path,
                                                                        std::uint32_t readers) = 0;
  // Renames over `to` in one step (the platform's atomic replacement); a
  // symbolic link at `to` is replaced itself, never followed.
  virtual FileStatus Rename(const std::string& from, const std::string& to) = 0;
  // Puts a rename inside `folder` on the disk itself (POSIX: fsync of the
  // folder; Windows renames write through and need nothing more).
  virtual FileStatus SyncFolder(const std::string& folder) = 0;
  virtual FileStatus Remove(const std::string& path) = 0;

  // Success when new files can be made in `folder`.
  virtual FileStatus IsWritableFolder(const std::string& folder) = 0;
  // Creates `folder` and its missing parents.
  virtual FileStatus CreateFolders(const std::string& folder) = 0;

  // An exclusive, non-blocking lock on `path` (created when missing).
  virtual LockResult TryLock(const std::string& path) = 0;

  // Why the latest failed call of this thread of a stream or file this
  // opened failed. Successful calls leave it as it was: ask right after
  // the failure.
  virtual FileFault LastFault() const = 0;
};

}  // namespace tessaline
