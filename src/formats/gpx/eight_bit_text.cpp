#include "formats/gpx/eight_bit_text.h"

#include <array>

#include "platform/ansi_code_page.h"
#include "platform/utf8.h"

namespace tessaline::gpx {

namespace {

// Windows-1252 0x80-0x9F; the five bytes it leaves undefined map to the C1
// control of the same number, as Windows itself does.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The Windows-1252 byte of `c`, or -1.
int ByteOf(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (std::size_t i = 0; i < kHigh.size(); ++i) {
    if (kHigh[i] == c) return static_cast<int>(0x80 + i);
  }
  return -1;
}

// Decodes one character of valid-or-not UTF-8 at `i`; -1 for a bad byte.
char32_t NextCharacter(std::string_view text, std::size_t& i) {
  const auto c = static_cast<unsigned char>(text[i]);
  std::size_t length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
  if (length == 0 || i + length > text.size() || !IsValidUtf8(text.substr(i, length))) {
    ++i;
    return static_cast<char32_t>(-1);
  }
  char32_t value = length == 1 ? c : length == 2 ? (c & 0x1F) : length == 3 ? (c & 0x0F) : (c & 0x07);
  for (std::size_t k = 1; k < length; ++k) value = (value << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  i += length;
  return value;
}

}  // namespace

char32_t Windows1252Character(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
}

std::string EightBitToUtf8(std::string_view text) {
  std::string out;
  AppendEightBitAsUtf8(out, text);
  return out;
}

namespace {
bool NeedsNoChange(std::string_view text) {
  bool ascii = true;
  for (char byte : text) ascii = ascii && static_cast<unsigned char>(byte) < 0x80;
  return ascii || IsValidUtf8(text);
}
}  // namespace

std::string_view EightBitAsUtf8(std::string_view text, std::string& room) {
  if (NeedsNoChange(text)) return text;
  room.clear();
  AppendEightBitAsUtf8(room, text);
  return room;
}

void AppendEightBitAsUtf8(std::string& out, std::string_view text) {
  if (text.empty()) return;
  if (NeedsNoChange(text)) {
    out.append(text);
    return;
  }
  if (!platform::AnsiIsWindows1252()) {
    out += platform::AnsiToUtf8(text);
    return;
  }
  for (char byte : text) {
    AppendUtf8(out, Windows1252Character(static_cast<unsigned char>(byte)));
  }
}

namespace {

// `breaks` tells the ASCII characters that would break the target's line.
template <typename Breaks>
void AppendEightBitWith(std::string& out, std::string_view text, Breaks breaks, EightBitChanges& changes) {
  if (!platform::AnsiIsWindows1252()) {
    // Another ANSI code page (Windows): the separators are ASCII, the same
    // in every one of them.
    std::string cleaned(text);
    for (char& c : cleaned) {
      if (breaks(c)) {
        c = ' ';
        ++changes.separators;
      }
    }
    platform::AppendUtf8AsAnsi(out, cleaned, changes.replaced);
    return;
  }
  // The usual text is plain ASCII with nothing to change: it goes whole.
  std::size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80 && !breaks(text[i])) ++i;
  out.append(text.substr(0, i));
  while (i < text.size()) {
    const char byte = text[i];
    if (static_cast<unsigned char>(byte) < 0x80) {
      ++i;
      if (breaks(byte)) {
        out += ' ';
        ++changes.separators;
      } else {
        out += byte;
      }
      continue;
    }
    const int mapped = ByteOf(NextCharacter(text, i));
    if (mapped < 0) {
      out += '?';
      ++changes.replaced;
    } else {
      out += static_cast<char>(mapped);
    }
  }
}

}  // namespace

void AppendEightBit(std::string& out, std::string_view text, char separator, EightBitChanges& changes) {
  AppendEightBitWith(
      out, text, [separator](char c) { return c == separator || c == '"' || c == '\r' || c == '\n'; },
      changes);
}

void AppendEightBitFields(std::string& out, std::string_view text, EightBitChanges& changes) {
  AppendEightBitWith(out, text, [](char c) { return c == '\r' || c == '\n'; }, changes);
}

void AppendEightBitLine(std::string& out, std::string_view text, EightBitChanges& changes) {
  AppendEightBitWith(out, text, [](char) { return false; }, changes);
}

}  // namespace tessaline::gpx
