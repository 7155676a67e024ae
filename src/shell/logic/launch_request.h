#pragma once
// What the window program is asked to do when it starts, or when a second
// start hands its files over to the running window:
//   tessaline                 come to the front (start, or raise the running window)
//   tessaline FILE...         convert each FILE in turn, as if it had been dropped
//   tessaline --gpx FILE...   write BASE.gpx from each device or chart FILE
// "--" ends the options: every later argument is a file. The request
// travels between processes (shell/qt and shell/win32 single_instance.h),
// so its paths are absolute: a relative FILE means the same in the running
// window, whose current folder is another.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/roads/road_table.h"

namespace tessaline {

struct LaunchRequest {
  // The tables' request for each file: Request::ByFile (the road its file
  // gives, under the window's directions), Request::ToGpx for --gpx.
  Request request = Request::ByFile;
  // In the order given; none: come to the front. In the file system's own
  // form, as the core takes them: UTF-8 on Windows, the name's bytes on
  // POSIX (which need not be UTF-8).
  std::vector<std::string> absolute_paths;

  bool operator==(const LaunchRequest&) const = default;
};

// The one letter a request crosses the hand-over as ('c' the file decides,
// 'g' to GPX, as every version of the window has sent them), and back:
// nullopt for a letter no window sends.
char HandOverCode(Request request);
std::optional<Request> RequestOfHandOverCode(char code);

// How a path is made absolute: "/" rooted paths on POSIX; drive letters,
// "\" and "/" separators and \\server\share paths on Windows.
enum class PathStyle { Posix, Windows };
#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::Windows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::Posix;
#endif

struct LaunchArguments {
  LaunchRequest request;
  // The first argument that looks like an option the program does not know
  // ("-x", "--verbose"), or "" when every argument was understood. The
  // request is then empty: a mistyped option never starts a conversion.
  std::string unknown_option;
};

// `arguments`: the arguments after the program's name, as the front end
// got them from the system (UTF-8 on Windows, bytes on POSIX) (Qt has already taken its own options out). Options may come
// anywhere before "--"; "-" alone is a file name; empty arguments are
// skipped (they name no file). Relative paths are made absolute against
// `current_folder`, itself absolute.
LaunchArguments ParseLaunchArguments(const std::vector<std::string>& arguments,
                                     std::string_view current_folder,
                                     PathStyle style = kNativePathStyle);

// What the program says before ending with status 2 when it was given
// `option`, which it does not know: the option and the usage, in lines.
std::string UnknownLaunchOptionText(std::string_view option);

// `path` made absolute against the absolute `current_folder`; a leading
// "./" is dropped, nothing else is resolved (".." may cross a link). On
// Windows "\x" takes the current folder's drive (or \\server\share), and
// "D:x" is taken from D:'s root when D: is not the current folder's drive
// (the process's other per-drive folders are not known here).
std::string AbsoluteLaunchPath(std::string_view path, std::string_view current_folder,
                               PathStyle style = kNativePathStyle);

}  // namespace tessaline
