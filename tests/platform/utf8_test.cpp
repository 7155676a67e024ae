#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaline {
namespace {

TEST(IsValidUtf8, AcceptsWellFormedText) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("Pointe du Raz"));
  EXPECT_TRUE(IsValidUtf8("Île-de-Bréhat"));
  EXPECT_TRUE(IsValidUtf8("\xE2\x82\xAC"));          // euro sign
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x8C\x8A"));      // a four-byte character
}

TEST(IsValidUtf8, RefusesMalformedText) {
  EXPECT_FALSE(IsValidUtf8("\xE9t\xE9"));            // Latin-1 "été"
  EXPECT_FALSE(IsValidUtf8("\xC3"));                 // truncated
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));             // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));         // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));     // beyond U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\x80"));
}

TEST(CutToWidth, NeverSplitsAUtf8Character) {
  EXPECT_EQ(CutToWidth("abc", 5), "abc");
  EXPECT_EQ(CutToWidth("abcdef", 3), "abc");
  // "é" takes bytes 2 and 3; a cut at 3 bytes keeps "ab" only.
  EXPECT_EQ(CutToWidth("abé", 3), "ab");
  EXPECT_EQ(CutToWidth("abé", 4), "abé");
  EXPECT_EQ(CutToWidth("\xF0\x9F\x8C\x8A", 3), "");
}

TEST(CutToWidth, CutsOtherTextAtTheByteWidth) {
  const std::string latin1 = "ab\xE9\xE9";
  EXPECT_EQ(CutToWidth(latin1, 3), "ab\xE9");
}

}  // namespace
}  // namespace tessaline
