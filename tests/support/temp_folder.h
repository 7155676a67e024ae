#pragma once
// A fresh folder under the system's temporary folder, removed with its
// content when the object goes. Plus small whole-file helpers.

#include <string>
#include <string_view>

namespace tessaline::testing {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string File(std::string_view name) const;

 private:
  std::string path_;
};

std::string ReadWholeFile(const std::string& path);  // "" when missing
void WriteWholeFile(const std::string& path, std::string_view content);
bool FileExists(const std::string& path);

}  // namespace tessaline::testing
