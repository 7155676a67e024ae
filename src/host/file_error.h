#pragma once
// Why a file operation failed, in the program's own kinds: the same kinds on
// every platform, so that the user reads the same words whatever the system
// and its language. Only an error outside these kinds keeps the system's text.

#include <string>

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
  Other,               // anything else: see system_text
};

struct FileFault {
  FileError error = FileError::None;
  std::string system_text;  // the system's own words, for Other only
  bool operator==(const FileFault&) const = default;
};

}  // namespace tessaline
