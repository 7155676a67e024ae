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

// The base of the outputs of a device or chart file: the path without its
// last four characters (the dot and a three-letter extension), never
// splitting a UTF-8 character. A file name of four characters or fewer
// ("abc", "zbx") is kept whole: cutting it would leave an empty or hidden
// name, and two short names would share one output.
std::string BaseName(std::string_view path);

// The base of the outputs of a GPX file: the path without a ".gpx" ending
// (any case), else without a dot and three ASCII letters ("track.xml"),
// else the whole path ("export").
std::string GpxBaseName(std::string_view path);

// `folder` + separator + `name`, with no doubled separator.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace tessaline
