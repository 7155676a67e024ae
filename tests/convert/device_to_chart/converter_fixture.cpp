#include "converter_fixture.h"

#include <filesystem>

namespace tessaline::testing {

DeviceToChartTest::DeviceToChartTest() {
  std::filesystem::create_directory(program_folder());
  std::filesystem::create_directory(temp.File("data"));
}

std::vector<std::string> DeviceToChartTest::Listing(const std::string& folder,
                                                    const std::string& prefix) const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

ConversionOutcome DeviceToChartTest::Convert(const std::string& content, const std::string& name,
                                             RegionalSettings regional) {
  WriteWholeFile(Data(name), content);
  return ConvertPath(Data(name), regional);
}

ConversionOutcome DeviceToChartTest::ConvertPath(const std::string& path, RegionalSettings regional) {
  DeviceToChartConverter converter(host, regional, clock, location);
  const ConversionOutcome outcome = converter.ConvertDeviceToChart(path);
  list1 = converter.List1();
  list2 = converter.List2();
  return outcome;
}

std::string DeviceLines(const std::vector<std::string>& groups) {
  std::string text;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    text += "47." + n + ",-4." + n + "," + n + ".5,\"P" + n + "\"," + groups[i] + "\r\n";
  }
  return text;
}

int Occurrences(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace tessaline::testing
