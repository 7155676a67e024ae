#include "convert/input_file.h"

#include "convert/conversion_failure.h"
#include "convert/messages.h"

namespace tessaline {

InputFile CheckInputFile(FileSystem& files, const std::string& path) {
  if (path.empty()) throw ConversionFailure::FileOperation(path, FileFault{FileError::NotFound, 0});
  if (files.TypeOf(path) != FileType::Regular) throw ConversionFailure::FileOperation(path, files);
  const auto identity = files.Identity(path);
  if (!identity) throw ConversionFailure::FileOperation(path, files);
  const auto length = files.Length(path);
  if (!length) throw ConversionFailure::FileOperation(path, files);
  return InputFile{*identity, *length};
}

void CheckSameInput(FileSystem& files, const std::string& path, const InputFile& input) {
  const auto identity = files.Identity(path);
  if (!identity) throw ConversionFailure::FileOperation(path, files);
  const auto length = files.Length(path);  // none for anything but a regular file
  if (!length) throw ConversionFailure::FileOperation(path, files);
  if (*identity != input.identity || *length != input.length) {
    throw ConversionFailure::OfFile(path, messages::kInputChanged);
  }
}

}  // namespace tessaline
