#include "fault_sweep.h"

#include <algorithm>
#include <filesystem>

#include "host/file_error_text.h"

namespace tessaline::testing {

std::vector<FsCall> AllFsCalls() {
  std::vector<FsCall> calls;
  for (int i = 0; i < kFsCallCount; ++i) calls.push_back(static_cast<FsCall>(i));
  return calls;
}

std::vector<int> CallsToFail(int count, int most) {
  std::vector<int> chosen;
  if (count <= most) {
    for (int n = 1; n <= count; ++n) chosen.push_back(n);
    return chosen;
  }
  for (int k = 0; k < most; ++k) {
    const int n = 1 + static_cast<int>(static_cast<long long>(k) * (count - 1) / (most - 1));
    if (chosen.empty() || chosen.back() != n) chosen.push_back(n);
  }
  return chosen;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> TemporaryFiles(const std::string& folder) {
  std::vector<std::string> found;
  for (const std::string& name : FolderEntries(folder)) {
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) found.push_back(name);
  }
  return found;
}

FileError InjectedErrorFor(FsCall call) {
  switch (call) {
    case FsCall::OpenRead: case FsCall::OpenRecords: case FsCall::TypeOf:
      return FileError::AccessDenied;
    case FsCall::Read: case FsCall::ReadAt: case FsCall::SyncOutput: return FileError::Io;
    case FsCall::WriteAt: case FsCall::Write: case FsCall::CloseOutput: case FsCall::CloseRecords:
      return FileError::NoSpace;
    case FsCall::CreateTemporary: case FsCall::Rename: return FileError::ReadOnlyFileSystem;
    default: return FileError::Other;
  }
}

::testing::AssertionResult NamesFileAndInjectedError(const std::string& reason,
                                                     const std::vector<std::string>& files,
                                                     FsCall call) {
  const std::string error = " : " + FileErrorText(FileFault{InjectedErrorFor(call), kInjectedSystemCode});
  const bool ends = reason.size() > error.size() &&
                    reason.compare(reason.size() - error.size(), error.size(), error) == 0;
  bool named = false;
  for (const std::string& file : files) named = named || reason.rfind(file, 0) == 0;
  if (ends && named) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "reason \"" << reason << "\" for a failing " << FsCallName(call);
}

}  // namespace tessaline::testing
