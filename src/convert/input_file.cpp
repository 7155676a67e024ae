#include "convert/input_file.h"

#include "convert/conversion_failure.h"

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

}  // namespace tessaline
