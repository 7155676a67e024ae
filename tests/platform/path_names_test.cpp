#include "platform/path_names.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

TEST(FileNameOfPath, TakesThePartAfterTheLastSeparator) {
  EXPECT_EQ(FileNameOfPath("/home/marin/trace.zbx"), "trace.zbx");
  EXPECT_EQ(FileNameOfPath("trace.zbx"), "trace.zbx");
  EXPECT_EQ(FileNameOfPath("/home/marin/"), "");
  EXPECT_EQ(FileNameOfPath(""), "");
  EXPECT_EQ(FileNameOfPath("/données/été/Île d'Ouessant.zbx"), "Île d'Ouessant.zbx");
#ifdef _WIN32
  EXPECT_EQ(FileNameOfPath("C:\\cartes\\trace.zbx"), "trace.zbx");
  EXPECT_EQ(FileNameOfPath("C:/cartes\\sous/trace.zbx"), "trace.zbx");
#else
  // A backslash is an ordinary character of a POSIX file name.
  EXPECT_EQ(FileNameOfPath("/tmp/a\\b.zbx"), "a\\b.zbx");
#endif
}

TEST(BaseName, DropsTheDotAndThreeLetterExtension) {
  EXPECT_EQ(BaseName("/data/trace.zbx"), "/data/trace");
  EXPECT_EQ(BaseName("/data/x_zbx"), "/data/x");
  EXPECT_EQ(BaseName("/data/route_TRK.txt"), "/data/route_TRK");
  EXPECT_EQ(BaseName("relative.zbx"), "relative");
}

TEST(BaseName, KeepsAShortNameWhole) {
  // Cutting four characters of "zbx" or "abc" would leave the hidden ".asc"
  // (two short names would share it) or cut into the folder.
  EXPECT_EQ(BaseName("/data/zbx"), "/data/zbx");
  EXPECT_EQ(BaseName("/data/abcd"), "/data/abcd");
  EXPECT_EQ(BaseName("/data/abcde"), "/data/a");
  EXPECT_EQ(BaseName("/data/éèàù"), "/data/éèàù");
  EXPECT_EQ(BaseName("zb"), "zb");
  EXPECT_EQ(BaseName(""), "");
}

TEST(GpxBaseName, DropsOnlyADotAndThreeLetters) {
  EXPECT_EQ(GpxBaseName("/d/route.gpx"), "/d/route");
  EXPECT_EQ(GpxBaseName("/d/route.GPX"), "/d/route");
  EXPECT_EQ(GpxBaseName("/d/track.xml"), "/d/track");
  EXPECT_EQ(GpxBaseName("/d/export"), "/d/export");
  EXPECT_EQ(GpxBaseName("/d/export.123"), "/d/export.123");
  EXPECT_EQ(GpxBaseName("/d/.gpx"), "/d/.gpx");
  EXPECT_EQ(GpxBaseName("/d/stdin"), "/d/stdin");
}

TEST(BaseName, CountsAUtf8CharacterAsOne) {
  // "é" is two bytes; cutting four bytes would leave half of it behind.
  EXPECT_EQ(BaseName("/d/abcé.zb"), "/d/abc");  // "é.zb" is four characters
  EXPECT_EQ(BaseName("/d/Bréhat.zbx"), "/d/Bréhat");
  // Text that is not UTF-8 is cut by bytes.
  EXPECT_EQ(BaseName(std::string("/d/ab\xE9.zbx")), std::string("/d/ab\xE9"));
}

TEST(JoinPath, AddsOneSeparator) {
#ifdef _WIN32
  EXPECT_EQ(JoinPath("C:\\Tessaline", "ZRB_DB.dat"), "C:\\Tessaline\\ZRB_DB.dat");
  EXPECT_EQ(JoinPath("C:/Tessaline/", "ZRB_DB.dat"), "C:/Tessaline/ZRB_DB.dat");
#else
  EXPECT_EQ(JoinPath("/opt/tessaline", "ZRB_DB.dat"), "/opt/tessaline/ZRB_DB.dat");
#endif
  EXPECT_EQ(JoinPath("/", "ZRB_DB.dat"), "/ZRB_DB.dat");
  EXPECT_EQ(JoinPath("", "ZRB_DB.dat"), "ZRB_DB.dat");
  EXPECT_EQ(FolderOfPath("/a/b/c.txt"), "/a/b/");
  EXPECT_EQ(FolderOfPath("c.txt"), "");
}

}  // namespace
}  // namespace tessaline
