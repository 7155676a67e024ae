#pragma once
// Why a file operation failed, in the program's own kinds: the same kinds on
// every platform, so that the user reads the same French words whatever the
// system and its language. An error outside these kinds is told by its
// number, never in the system's own (often English) words.

namespace tessaline {

enum class FileError {
  None,                // no failure recorded
  NotFound,            // no such file or folder
  AccessDenied,        // access denied or not permitted
  IsDirectory,         // a folder where a file was expected
  NotRegular,          // a FIFO, a device, anything but a plain file
  NoSpace,             // the disk or the quota is full
  ReadOnlyFileSystem,  // the volume cannot be written
  Io,                  // the device reported an input/output error
  NameTooLong,         // the name or the path is too long
  LinkLoop,            // too many levels of symbolic links
  FileTooLarge,        // the file is larger than the file system allows
  Busy,                // in use by another program or the system
  CrossDevice,         // a rename across two volumes
  TooManyOpenFiles,    // the process or the system has no file handle left
  OutOfMemory,         // the system had no memory for the call
  InvalidName,         // a name the file system does not allow
  Exists,              // a file of that name is already there
  Interrupted,         // a call interrupted, or a pipe closed by its reader
  ForeignLink,         // a symbolic link of another user in a shared folder
  Other,               // anything else: see system_code
};

struct FileFault {
  FileError error = FileError::None;
  int system_code = 0;  // errno or GetLastError(), for Other only
  bool operator==(const FileFault&) const = default;
};

}  // namespace tessaline
