#include "convert/conversion_failure.h"

#include "convert/messages.h"
#include "host/file_error_text.h"
#include "platform/path_names.h"

namespace tessaline {

ConversionFailure ConversionFailure::AtLine(std::uint64_t line, std::string what) {
  ConversionFailure failure(std::move(what));
  failure.line_ = line;
  return failure;
}

ConversionFailure ConversionFailure::OfFile(std::string_view path, std::string what) {
  ConversionFailure failure(std::move(what));
  failure.file_ = FileNameOfPath(path);
  return failure;
}

ConversionFailure ConversionFailure::FileOperation(std::string_view path, const FileFault& fault) {
  ConversionFailure failure = OfFile(path, FileErrorText(fault));
  failure.fault_ = fault;
  return failure;
}

ConversionFailure ConversionFailure::FileOperation(std::string_view path, const FileSystem& files) {
  return FileOperation(path, files.LastFault());
}

std::string ConversionFailure::Reason() const {
  if (line_ != 0) return messages::LineReason(line_, what_);
  if (!file_.empty()) return file_ + " : " + what_;
  return what_;
}

}  // namespace tessaline
