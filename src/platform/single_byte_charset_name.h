#pragma once
// The character sets SingleByteCharset accepts, by name, whatever the
// platform's tables: shared by its POSIX and Windows implementations.

#include <string>
#include <string_view>

namespace tessaline::platform {

enum class CharsetFamily { Iso8859, Windows, Koi8 };

struct CharsetName {
  CharsetFamily family;
  int number = 0;     // ISO-8859-n, windows-125n (n from 0 to 8)
  char variant = 0;   // KOI8: 'R' or 'U'
};

// "ISO-8859-15", "iso8859-2", "ISO_8859-5"... "windows-1250",
// "cp1251", "KOI8-R"; false for anything else, any case.
bool ParseCharsetName(std::string_view name, CharsetName& parsed);

}  // namespace tessaline::platform
