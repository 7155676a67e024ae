#include "converter_fixture.h"

#include <filesystem>

namespace tessaline::testing {

std::vector<std::string> DeviceToChartTest::FilesStartingWith(const std::string& folder,
                                                               const std::string& prefix) const {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) names.push_back(name);
  }
  return names;
}

std::string DeviceLines(const std::vector<std::string>& groups) {
  std::string text;
  int n = 0;
  for (const auto& group : groups) {
    ++n;
    text += "47." + std::to_string(n) + ",-4." + std::to_string(n) + "," + std::to_string(n) +
            ".5,\"P" + std::to_string(n) + "\"," + group + "\r\n";
  }
  return text;
}

}  // namespace tessaline::testing
