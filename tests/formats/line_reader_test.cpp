#include "formats/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/piece_stream.h"

namespace tessaline {
namespace {

std::vector<std::string> Lines(const std::string& text, std::size_t piece = 1 << 20,
                               std::size_t chunk = 256 * 1024) {
  PieceStream stream(text, piece);
  LineReader reader(stream, chunk);
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.Next(line)) lines.emplace_back(line);
  EXPECT_FALSE(reader.Failed());
  EXPECT_EQ(reader.BytesConsumed(), text.size());
  return lines;
}

using L = std::vector<std::string>;

TEST(LineReader, CrLfAndLoneCrEndALineButLoneLfDoesNot) {
  EXPECT_EQ(Lines("a\r\nb\r\n"), (L{"a", "b"}));
  EXPECT_EQ(Lines("a\rb\r"), (L{"a", "b"}));
  EXPECT_EQ(Lines("a\nb\r\nc"), (L{"a\nb", "c"}));
  EXPECT_EQ(Lines("a\r\r\nb"), (L{"a", "", "b"}));
  EXPECT_EQ(Lines("a\n\rb"), (L{"a\n", "b"}));
}

// A file without any CR, as Linux and macOS write them, ends its lines at
// LFs; one CR anywhere, even after every LF, makes each LF part of its line.
TEST(LineReader, AFileWithNoCrAtAllIsReadAtItsLfs) {
  const std::string text = "first\nsecond\n\nlast";
  for (std::size_t piece = 1; piece <= text.size(); ++piece) {
    EXPECT_EQ(Lines(text, piece, 3), (L{"first", "second", "", "last"})) << "piece " << piece;
  }
  EXPECT_EQ(Lines("only\nlf\n"), (L{"only", "lf"}));
  EXPECT_EQ(Lines("a\nb\nc\r"), (L{"a\nb\nc"}));
  for (const auto& [text, lf_only] : {std::pair{"a\nb", true}, {"a\r\nb\n", false}, {"ab", false}, {"", false}}) {
    PieceStream stream(text, 1);
    LineReader reader(stream, 2);
    std::string_view line;
    reader.Next(line);
    EXPECT_EQ(reader.LfOnly(), lf_only) << text;
  }
}

TEST(LineReader, TheLastLineMayLackItsEnd) {
  EXPECT_EQ(Lines("a\r\nlast"), (L{"a", "last"}));
  EXPECT_EQ(Lines(""), L{});
  EXPECT_EQ(Lines("\r\n"), (L{""}));
  // Two line ends at the end give one empty line, which the device reader refuses.
  EXPECT_EQ(Lines("a\r\n\r\n"), (L{"a", ""}));
}

TEST(LineReader, LineEndsStraddlingReadsAreFoundWhateverThePieceSize) {
  const std::string text = "first\r\nsecond\rthird\r\n\r\nfifth\nstill fifth\r\n";
  const L expected{"first", "second", "third", "", "fifth\nstill fifth"};
  for (std::size_t piece = 1; piece <= text.size(); ++piece) {
    EXPECT_EQ(Lines(text, piece, 3), expected) << "piece " << piece;
  }
}

TEST(LineReader, KeepsNulBytesAndLongLines) {
  const std::string nul("a\0b", 3);
  EXPECT_EQ(Lines(nul + "\r\n"), (L{nul}));
  const std::string long_line(3 * 1024 * 1024, 'x');
  const auto lines = Lines(long_line + "\r\nend", 4096, 1000);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], long_line);
  EXPECT_EQ(lines[1], "end");
}

TEST(LineReader, CountsConsumedBytesWithLineEnds) {
  PieceStream stream("ab\r\ncd\ref", 2);
  LineReader reader(stream, 3);
  std::string_view line;
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(reader.BytesConsumed(), 4u);
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(reader.BytesConsumed(), 7u);
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(reader.BytesConsumed(), 9u);
  EXPECT_FALSE(reader.Next(line));
}

TEST(LineReader, AReadFailureStopsReadingAndIsReported) {
  PieceStream stream("a\r\nb\r\nc\r\n", 3, 1);  // the second read fails
  LineReader reader(stream, 3);
  std::string_view line;
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line, "a");
  EXPECT_FALSE(reader.Next(line));
  EXPECT_TRUE(reader.Failed());
  EXPECT_FALSE(reader.Next(line));
}

}  // namespace
}  // namespace tessaline
