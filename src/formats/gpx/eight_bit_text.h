#pragma once
// Names in the device and chart files are 8-bit text with no stated code
// page; GPX is Unicode. A name that is valid UTF-8 was written as UTF-8 and
// is taken as it is; any other is Windows-1252, the code page these files
// come in (on Windows: the system's ANSI code page, whichever it is).

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaline::gpx {

// The character a Windows-1252 byte stands for.
char32_t Windows1252Character(unsigned char byte);

// The 8-bit `text` as UTF-8.
std::string EightBitToUtf8(std::string_view text);
void AppendEightBitAsUtf8(std::string& out, std::string_view text);
// The same without a copy for a text that needs no change (ASCII, or UTF-8
// already): the text itself, else its UTF-8 form made in `room`.
std::string_view EightBitAsUtf8(std::string_view text, std::string& room);

struct EightBitChanges {
  std::uint64_t replaced = 0;     // characters Windows-1252 cannot hold, now "?"
  std::uint64_t separators = 0;   // separator, double quote, CR or LF, now " "
};

// The UTF-8 `text` in Windows-1252 (on Windows: the ANSI code page),
// appended to `out`. `separator` (","
// for device files, ";" for chart files), '"', CR and LF each become a
// space, since the target has no escaping and they would break its line.
// Invalid UTF-8 bytes count as characters it cannot hold.
void AppendEightBit(std::string& out, std::string_view text, char separator, EightBitChanges& changes);

// The same for a text of several fields kept as one: only CR and LF become
// a space, separators and quotes stay as they are.
void AppendEightBitFields(std::string& out, std::string_view text, EightBitChanges& changes);

// The same for a whole line of a device or chart file read as UTF-8: every
// ASCII character stays, its separators are the line's own.
void AppendEightBitLine(std::string& out, std::string_view text, EightBitChanges& changes);

}  // namespace tessaline::gpx
