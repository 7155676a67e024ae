#pragma once
// Why a conversion cannot go on. Both converters throw it from any step; the
// one end of a conversion (conversion_end.h) catches it and shows the
// converter's message with the reason under it. The reason says what went
// wrong and where: the 1-based line at fault, or the file concerned and,
// for a file operation, the error the system met.

#include <cstdint>
#include <string>
#include <string_view>

#include "host/file_error.h"
#include "host/file_system.h"

namespace tessaline {

class ConversionFailure {
 public:
  // Neither a line nor a file: "mémoire insuffisante".
  explicit ConversionFailure(std::string what) : what_(std::move(what)) {}

  // A line of the input is at fault: "ligne 12 : moins de quatre champs".
  static ConversionFailure AtLine(std::uint64_t line, std::string what);
  // A file is unusable for a reason of the program's own:
  // "trace.asc : le fichier de sortie remplacerait le fichier converti".
  static ConversionFailure OfFile(std::string_view path, std::string what);
  // A file operation failed: "trace.zbx : Aucun fichier ou dossier de ce type".
  static ConversionFailure FileOperation(std::string_view path, const FileFault& fault);
  // The same, for a call of a stream or file `files` opened that just failed.
  static ConversionFailure FileOperation(std::string_view path, const FileSystem& files);

  // The French reason as the user reads it.
  std::string Reason() const;

  std::uint64_t Line() const { return line_; }  // 0: no line at fault
  const std::string& File() const { return file_; }  // file name; empty: none
  const FileFault& Fault() const { return fault_; }

 private:
  std::string what_;
  std::string file_;
  std::uint64_t line_ = 0;
  FileFault fault_;
};

// The value of a file-system call, or its fault thrown as a FileOperation
// failure on `path`.
template <typename T>
T OrFail(FileResult<T>&& result, std::string_view path) {
  if (!result) throw ConversionFailure::FileOperation(path, result.fault());
  return std::move(*result);
}
inline void OrFail(const FileStatus& status, std::string_view path) {
  if (!status) throw ConversionFailure::FileOperation(path, status.fault());
}

}  // namespace tessaline
