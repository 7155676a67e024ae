#pragma once
// UTF-8 <-> UTF-16 for the Win32 "W" calls: paths are UTF-8 everywhere in
// the program and UTF-16 at the Windows API. Windows only.

#ifdef _WIN32

#include <windows.h>

#include <string>
#include <string_view>

namespace tessaline::platform {

// "" when `text` is not valid UTF-8 (or is empty): no call then finds a file
// of that name, so a broken path fails instead of naming a different file.
inline std::wstring Widen(std::string_view text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int needed =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (needed <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), needed);
  return wide;
}

// Unpaired surrogates (possible in NTFS names) become U+FFFD.
inline std::string Narrow(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  const int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string text(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), needed, nullptr, nullptr);
  return text;
}

}  // namespace tessaline::platform

#endif  // _WIN32
