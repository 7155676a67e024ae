#include "shell/logic/launch_request.h"

#include <algorithm>
#include <cctype>

namespace tessaline {
namespace {

bool IsSeparator(char c, PathStyle style) {
  return c == '/' || (style == PathStyle::Windows && c == '\\');
}

bool IsDriveLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// "C:" at the start of a Windows path.
bool HasDrive(std::string_view path) {
  return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':';
}

bool SameDrive(char a, char b) {
  return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
}

std::string_view WithoutLeadingDots(std::string_view path, PathStyle style) {
  while (path.size() >= 2 && path[0] == '.' && IsSeparator(path[1], style)) {
    path.remove_prefix(2);
    while (!path.empty() && IsSeparator(path.front(), style)) path.remove_prefix(1);
  }
  if (path == ".") return {};
  return path;
}

std::string Join(std::string_view folder, std::string_view name, PathStyle style) {
  std::string joined(folder);
  name = WithoutLeadingDots(name, style);
  if (name.empty()) return joined;
  if (joined.empty() || !IsSeparator(joined.back(), style)) {
    joined += style == PathStyle::Windows ? '\\' : '/';
  }
  joined += name;
  return joined;
}

// "C:" or "\\server\share" of an absolute Windows folder.
std::string_view WindowsRoot(std::string_view folder) {
  if (HasDrive(folder)) return folder.substr(0, 2);
  if (folder.size() >= 2 && IsSeparator(folder[0], PathStyle::Windows) &&
      IsSeparator(folder[1], PathStyle::Windows)) {
    std::size_t end = 2;
    for (int parts = 0; parts < 2 && end <= folder.size(); ++parts) {
      while (end < folder.size() && !IsSeparator(folder[end], PathStyle::Windows)) ++end;
      if (parts == 0) ++end;
    }
    return folder.substr(0, std::min(end, folder.size()));
  }
  return {};
}

std::string AbsoluteWindowsPath(std::string_view path, std::string_view current) {
  const bool rooted = !path.empty() && IsSeparator(path[0], PathStyle::Windows);
  if (rooted && path.size() >= 2 && IsSeparator(path[1], PathStyle::Windows)) {
    return std::string(path);  // \\server\share\... and \\?\...
  }
  if (HasDrive(path)) {
    if (path.size() >= 3 && IsSeparator(path[2], PathStyle::Windows)) return std::string(path);
    std::string_view rest = path.substr(2);
    if (HasDrive(current) && SameDrive(current[0], path[0])) {
      return Join(current, rest, PathStyle::Windows);
    }
    return Join(std::string(path.substr(0, 2)) + '\\', rest, PathStyle::Windows);
  }
  if (rooted) return std::string(WindowsRoot(current)) + std::string(path);
  return Join(current, path, PathStyle::Windows);
}

}  // namespace

std::string AbsoluteLaunchPath(std::string_view path, std::string_view current_folder,
                               PathStyle style) {
  if (style == PathStyle::Windows) return AbsoluteWindowsPath(path, current_folder);
  if (!path.empty() && path[0] == '/') return std::string(path);
  return Join(current_folder, path, style);
}

char HandOverCode(Request request) { return request == Request::ToGpx ? 'g' : 'c'; }

std::optional<Request> RequestOfHandOverCode(char code) {
  if (code == 'c') return Request::ByFile;
  if (code == 'g') return Request::ToGpx;
  return std::nullopt;
}

LaunchArguments ParseLaunchArguments(const std::vector<std::string>& arguments,
                                     std::string_view current_folder, PathStyle style) {
  LaunchArguments parsed;
  bool options_ended = false;
  for (const std::string& argument : arguments) {
    if (argument.empty()) continue;
    if (!options_ended && argument.size() > 1 && argument[0] == '-') {
      if (argument == "--") {
        options_ended = true;
      } else if (argument == "--gpx") {
        parsed.request.request = Request::ToGpx;
      } else {
        return LaunchArguments{LaunchRequest{}, argument};
      }
      continue;
    }
    parsed.request.absolute_paths.push_back(AbsoluteLaunchPath(argument, current_folder, style));
  }
  return parsed;
}

std::string UnknownLaunchOptionText(std::string_view option) {
  std::string text = "tessaline : option inconnue « ";
  text.append(option);
  text += " »\nUsage : tessaline [--gpx] [FICHIER...]\n";
  return text;
}

}  // namespace tessaline
