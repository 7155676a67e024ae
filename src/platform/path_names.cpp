#include "platform/path_names.h"

#include "platform/utf8.h"
#include "platform/path_separator.h"

namespace tessaline {

bool IsPathSeparator(char c) { return platform::IsPathSeparator(c); }

namespace {
std::size_t FileNameStart(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return i;
  }
  return 0;
}
}  // namespace

std::string FileNameOfPath(std::string_view path) {
  return std::string(path.substr(FileNameStart(path)));
}

std::string FolderOfPath(std::string_view path) {
  return std::string(path.substr(0, FileNameStart(path)));
}

std::string BaseName(std::string_view path) {
  const std::size_t name_start = FileNameStart(path);
  std::string_view name = path.substr(name_start);
  // Drop the last four characters of the name, counting a UTF-8 sequence as
  // one character when the name is valid UTF-8.
  std::size_t keep = name.size();
  const bool utf8 = IsValidUtf8(name);
  for (int dropped = 0; dropped < 4; ++dropped) {
    if (keep == 0) return std::string(path);
    --keep;
    if (utf8) {
      while (keep > 0 && IsUtf8Continuation(name[keep])) --keep;
    }
  }
  if (keep == 0) return std::string(path);
  return std::string(path.substr(0, name_start + keep));
}

std::string GpxBaseName(std::string_view path) {
  const std::string_view name = path.substr(FileNameStart(path));
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  // ".gpx" in any case is a three-letter ending too; only the name before it
  // must not be empty.
  if (name.size() > 4 && name[name.size() - 4] == '.' && letter(name[name.size() - 3]) &&
      letter(name[name.size() - 2]) && letter(name.back())) {
    return std::string(path.substr(0, path.size() - 4));
  }
  return std::string(path);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (!joined.empty() && !IsPathSeparator(joined.back())) joined += platform::kPreferredSeparator;
  joined += name;
  return joined;
}

}  // namespace tessaline
