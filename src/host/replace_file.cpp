#include "host/replace_file.h"

namespace tessaline {

bool ReplaceFileWith(FileSystem& files, const std::string& path, std::string_view content) {
  return ReplaceFileWithParts(files, path, {content});
}

bool ReplaceFileWithParts(FileSystem& files, const std::string& path,
                          const std::vector<std::string_view>& parts) {
  const std::string target = files.ResolveLinks(path);
  std::string temp_path;
  auto out = files.CreateTemporaryBeside(target, temp_path);
  if (!out) return false;
  bool written = true;
  for (std::string_view part : parts) {
    if (written && !part.empty()) written = out->Write(part);
  }
  const bool closed = out->Close();
  if (written && closed && files.Rename(temp_path, target)) return true;
  files.Remove(temp_path);
  return false;
}

}  // namespace tessaline
