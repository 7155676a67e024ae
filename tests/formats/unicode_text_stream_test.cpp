#include "formats/unicode_text_stream.h"

#include <gtest/gtest.h>

#include <string>

#include "support/piece_stream.h"

namespace tessaline {
namespace {

std::string ReadAll(const std::string& bytes, std::size_t piece,
                    UnicodeTextStream::Decode decode = UnicodeTextStream::Decode::EveryMark) {
  PieceStream raw(bytes, piece);
  UnicodeTextStream text(raw, decode);
  std::string out;
  char buffer[3];
  for (std::ptrdiff_t n; (n = text.Read(buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<std::size_t>(n));
  return out;
}

// "Île 😀" then CR LF: a character beyond 16 bits takes a surrogate pair in UTF-16.
const std::string kText = "\xC3\x8Ele \xF0\x9F\x98\x80\r\n";
const std::string kUtf16Le("\xFF\xFE\xCE\x00l\x00" "e\x00 \x00=\xD8\x00\xDE\r\x00\n\x00", 18);
const std::string kUtf16Be("\xFE\xFF\x00\xCE\x00l\x00" "e\x00 \xD8=\xDE\x00\x00\r\x00\n", 18);
const std::string kUtf32Le("\xFF\xFE\0\0\xCE\0\0\0l\0\0\0" "e\0\0\0 \0\0\0\x00\xF6\x01\0\r\0\0\0\n\0\0\0", 32);
const std::string kUtf32Be("\0\0\xFE\xFF\0\0\0\xCE\0\0\0l\0\0\0" "e\0\0\0 \0\x01\xF6\x00\0\0\0\r\0\0\0\n", 32);

TEST(UnicodeTextStream, EveryMarkedEncodingReadsAsUtf8WithoutItsMark) {
  for (const std::string& bytes : {"\xEF\xBB\xBF" + kText, kUtf16Le, kUtf16Be, kUtf32Le, kUtf32Be}) {
    for (std::size_t piece = 1; piece <= 7; ++piece) EXPECT_EQ(ReadAll(bytes, piece), kText) << piece;
  }
}

TEST(UnicodeTextStream, AFileWithoutAMarkPassesByteForByte) {
  for (const std::string& bytes : {std::string("\xCEle;1\r\n"), std::string("ab"), std::string(), std::string("\xFF")}) {
    EXPECT_EQ(ReadAll(bytes, 1), bytes);
    PieceStream raw(bytes, 64);
    UnicodeTextStream text(raw);
    ASSERT_TRUE(text.Detect());
    EXPECT_FALSE(text.Decoded());
    EXPECT_EQ(text.InputOffset(2), 2u);
  }
}

TEST(UnicodeTextStream, BrokenUnitsBecomeTheReplacementCharacter) {
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(ReadAll(std::string("\xFF\xFE\x00\xD8" "a\x00", 6), 1), replacement + "a");  // a lone high surrogate
  EXPECT_EQ(ReadAll(std::string("\xFF\xFE\x00\xDC", 4), 1), replacement);               // a lone low one
  EXPECT_EQ(ReadAll(std::string("\xFE\xFF\x00" "a\x00", 5), 2), "a" + replacement);      // a unit cut short
  EXPECT_EQ(ReadAll(std::string("\0\0\xFE\xFF\0\x11\0\0", 8), 3), replacement);          // past U+10FFFF
}

// GPX leaves UTF-8 and UTF-16 to its XML reader: only UTF-32 is decoded.
TEST(UnicodeTextStream, OnlyUtf32WhenAskedSo) {
  for (const std::string& bytes : {"\xEF\xBB\xBF" + kText, kUtf16Le, kUtf16Be}) {
    EXPECT_EQ(ReadAll(bytes, 5, UnicodeTextStream::Decode::Utf32Only), bytes);
  }
  EXPECT_EQ(ReadAll(kUtf32Be, 5, UnicodeTextStream::Decode::Utf32Only), kText);
}

}  // namespace
}  // namespace tessaline
