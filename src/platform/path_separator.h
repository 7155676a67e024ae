#pragma once
// Path separators of the platform: "/" on POSIX, "\" and "/" on Windows.

namespace tessaline::platform {

#ifdef _WIN32
inline constexpr char kPreferredSeparator = '\\';
inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }
#else
inline constexpr char kPreferredSeparator = '/';
inline bool IsPathSeparator(char c) { return c == '/'; }
#endif

}  // namespace tessaline::platform
