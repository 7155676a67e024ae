#include "convert/input_file.h"

#include "convert/conversion_failure.h"
#include "convert/messages.h"

namespace tessaline {

InputFile CheckInputFile(FileSystem& files, const std::string& path) {
  if (path.empty()) throw ConversionFailure::FileOperation(path, FileFault{FileError::NotFound, 0});
  if (const PathType type = files.TypeOf(path); type != FileType::Regular) {
    throw ConversionFailure::FileOperation(path, type.why);
  }
  const FileIdentity identity = OrFail(files.Identity(path), path);
  return InputFile{identity, OrFail(files.Length(path), path)};
}

void CheckSameInput(FileSystem& files, const std::string& path, const InputFile& input) {
  const FileIdentity identity = OrFail(files.Identity(path), path);
  // None for anything but a regular file.
  const std::uint64_t length = OrFail(files.Length(path), path);
  if (identity != input.identity || length != input.length) {
    throw ConversionFailure::OfFile(path, messages::kInputChanged);
  }
}

}  // namespace tessaline
