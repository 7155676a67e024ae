// The window program's arguments as the request it acts on, and the paths
// made absolute so that another process (the running window) finds the same
// files: each row is arguments, current folder, then what must come out.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/logic/launch_request.h"

namespace tessaline {
namespace {

struct PathCase {
  const char* path;
  const char* current;
  const char* absolute;
};

TEST(LaunchRequest, PosixPathsBecomeAbsoluteAgainstTheCurrentFolder) {
  const PathCase cases[] = {
      {"/données/trace.zbx", "/home/marin", "/données/trace.zbx"},
      {"trace.zbx", "/home/marin", "/home/marin/trace.zbx"},
      {"trace.zbx", "/", "/trace.zbx"},
      {"./sorties/./a_TRK.txt", "/home/marin/", "/home/marin/sorties/./a_TRK.txt"},
      {"../b.zbx", "/home/marin", "/home/marin/../b.zbx"},
      {"Île de Sein.zbx", "/home/marin", "/home/marin/Île de Sein.zbx"},
      {"C:\\a.zbx", "/home/marin", "/home/marin/C:\\a.zbx"},  // a POSIX name like any other
  };
  for (const PathCase& c : cases) {
    EXPECT_EQ(AbsoluteLaunchPath(c.path, c.current, PathStyle::Posix), c.absolute) << c.path;
  }
}

TEST(LaunchRequest, WindowsPathsKeepTheirDriveOrShare) {
  const PathCase cases[] = {
      {"C:\\Cartes\\a.zbx", "D:\\Docs", "C:\\Cartes\\a.zbx"},
      {"c:/Cartes/a.zbx", "D:\\Docs", "c:/Cartes/a.zbx"},
      {"\\\\serveur\\partage\\a.zbx", "C:\\", "\\\\serveur\\partage\\a.zbx"},
      {"\\\\?\\C:\\long\\a.zbx", "C:\\", "\\\\?\\C:\\long\\a.zbx"},
      {"a.zbx", "C:\\Users\\Marin\\Documents", "C:\\Users\\Marin\\Documents\\a.zbx"},
      {"a.zbx", "C:\\", "C:\\a.zbx"},
      {".\\sorties\\a_WPT.txt", "C:\\Docs", "C:\\Docs\\sorties\\a_WPT.txt"},
      {"\\Cartes\\a.zbx", "D:\\Docs\\Bord", "D:\\Cartes\\a.zbx"},
      {"/Cartes/a.zbx", "\\\\serveur\\partage\\Docs", "\\\\serveur\\partage/Cartes/a.zbx"},
      {"d:a.zbx", "D:\\Docs", "D:\\Docs\\a.zbx"},
      {"E:a.zbx", "D:\\Docs", "E:\\a.zbx"},
  };
  for (const PathCase& c : cases) {
    EXPECT_EQ(AbsoluteLaunchPath(c.path, c.current, PathStyle::Windows), c.absolute) << c.path;
  }
}

TEST(LaunchRequest, ArgumentsGiveFilesInOrderAndTheGpxChoice) {
  using Paths = std::vector<std::string>;
  const auto parse = [](std::vector<std::string> arguments) {
    return ParseLaunchArguments(arguments, "/home/marin", PathStyle::Posix);
  };

  // No file: only come to the front.
  LaunchArguments parsed = parse({});
  EXPECT_EQ(parsed.request, LaunchRequest{});
  EXPECT_EQ(parsed.unknown_option, "");

  parsed = parse({"b_TRK.txt", "/tmp/a.zbx"});
  EXPECT_EQ(parsed.request, (LaunchRequest{Request::ByFile, Paths{"/home/marin/b_TRK.txt", "/tmp/a.zbx"}}));

  // --gpx anywhere before "--"; empty arguments name no file.
  parsed = parse({"a.zbx", "", "--gpx", "b_WPT.txt"});
  EXPECT_EQ(parsed.request, (LaunchRequest{Request::ToGpx, Paths{"/home/marin/a.zbx", "/home/marin/b_WPT.txt"}}));
  EXPECT_EQ(parse({"--gpx"}).request, (LaunchRequest{Request::ToGpx, Paths{}}));

  // After "--", and for "-" alone, arguments are files even when they look
  // like options.
  parsed = parse({"--", "--gpx", "-x.zbx", "--"});
  EXPECT_EQ(parsed.request,
            (LaunchRequest{Request::ByFile, Paths{"/home/marin/--gpx", "/home/marin/-x.zbx", "/home/marin/--"}}));
  EXPECT_EQ(parse({"-"}).request, (LaunchRequest{Request::ByFile, Paths{"/home/marin/-"}}));

  // An unknown option refuses the whole request.
  for (const char* option : {"-g", "--GPX", "--gpx=1", "-gpx"}) {
    parsed = parse({"a.zbx", option, "b.zbx"});
    EXPECT_EQ(parsed.unknown_option, option);
    EXPECT_EQ(parsed.request, LaunchRequest{}) << option;
  }
}

}  // namespace
}  // namespace tessaline
