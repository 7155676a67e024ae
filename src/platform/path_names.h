#pragma once
// File name and base name of a path. A path separator is "/" on POSIX and
// "\" or "/" on Windows.

#include <string>
#include <string_view>

namespace tessaline {

bool IsPathSeparator(char c);

// The part after the last separator; the whole path when it has none.
std::string FileNameOfPath(std::string_view path);

// The folder part, separator included ("" when there is none).
std::string FolderOfPath(std::string_view path);

// The path without its last four characters (the dot and a three-letter
// extension), but never cutting into the folder part and never splitting a
// UTF-8 character: at most the whole file name goes.
std::string BaseName(std::string_view path);

// `folder` + separator + `name`, with no doubled separator.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace tessaline
