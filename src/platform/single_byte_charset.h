#pragma once
// The characters of a single-byte character set named as XML declarations
// name them ("ISO-8859-15", "windows-1250", "KOI8-R"), from the system's own
// conversion tables (iconv on POSIX, the code pages on Windows), so that
// every such set the system knows is read without a table of our own.

#include <array>
#include <string_view>

namespace tessaline::platform {

// For each byte, the Unicode character it stands for, or -1 where the set
// leaves the byte undefined. False when `name` is no single-byte,
// ASCII-compatible set of the ISO-8859, Windows-125x or KOI8 families, or
// the system has no table for it.
bool SingleByteCharset(std::string_view name, std::array<int, 256>& characters);

}  // namespace tessaline::platform
