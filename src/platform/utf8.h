#pragma once
// Just enough UTF-8 to cut text without splitting a character.

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaline {

inline bool IsUtf8Continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Appends the UTF-8 form of the character `c` (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t c);

// Well-formed UTF-8 (no overlongs, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// The longest prefix of `text` of at most `max_bytes` bytes. When `text` is
// valid UTF-8 the cut never falls inside a character; otherwise it is made
// at the byte width.
std::string_view CutToWidth(std::string_view text, std::size_t max_bytes);

}  // namespace tessaline
