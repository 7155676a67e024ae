#include "fault_sweep.h"

#include <algorithm>
#include <filesystem>

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

}  // namespace tessaline::testing
