#pragma once
// The end of a file-system call as a value: success, or the fault that says
// why not. The reason travels with the answer, so nothing has to be asked
// of the file system right after a failure.

#include <optional>
#include <type_traits>
#include <utility>

#include "host/file_error.h"

namespace tessaline {

class FileStatus {
 public:
  FileStatus() = default;  // success
  FileStatus(FileFault fault) : failed_(true), fault_(fault) {}  // NOLINT: a failure from its fault

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  // Why it failed; FileError::None after a success.
  const FileFault& fault() const { return fault_; }

 private:
  bool failed_ = false;
  FileFault fault_;
};

// A value, or the fault that kept the call from giving one.
template <typename T>
class [[nodiscard]] FileResult {
 public:
  template <typename U, typename = std::enable_if_t<std::is_constructible_v<T, U&&>>>
  FileResult(U&& value) : value_(std::forward<U>(value)) {}  // NOLINT: a success from its value
  FileResult(FileFault fault) : fault_(fault) {}            // NOLINT: a failure from its fault
  FileResult(const FileStatus& failure) : fault_(failure.fault()) {}  // NOLINT: only of a failure

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const FileFault& fault() const { return fault_; }
  FileStatus status() const { return ok() ? FileStatus() : FileStatus(fault_); }

  // The value; only after a success.
  T& operator*() & { return *value_; }
  const T& operator*() const& { return *value_; }
  T&& operator*() && { return std::move(*value_); }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }

 private:
  std::optional<T> value_;
  FileFault fault_;
};

}  // namespace tessaline
