#include "host/replace_file.h"

namespace tessaline {

bool ReplaceFileWith(FileSystem& files, const std::string& path, std::string_view content) {
  const std::string target = files.ResolveLinks(path);
  std::string temp_path;
  auto out = files.CreateTemporaryBeside(target, temp_path);
  if (!out) return false;
  const bool written = out->Write(content);
  const bool closed = out->Close();
  if (written && closed && files.Rename(temp_path, target)) return true;
  files.Remove(temp_path);
  return false;
}

}  // namespace tessaline
