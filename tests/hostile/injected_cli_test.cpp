// The disk faults a test running as root cannot make for real: an output
// folder that cannot be written, a disk that fills up during the write or
// shows it only when the file is closed, a rename refused. They are
// injected under the command line's own host and run loop, so the user's
// view is checked as tessaline-convert gives it: the direction's message on
// stderr, exit status 1, the other files still converted, nothing lost.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/console_host.h"
#include "cli/conversion_run.h"
#include "convert/roads/roads.h"
#include "hostile_support.h"
#include "support/faulty_file_system.h"
#include "host/real_file_system.h"

namespace tessaline::testing {
namespace {

class FixedClock final : public Clock {
 public:
  LocalTime Now() override { return LocalTime{2024, 3, 9, 14, 5, 7}; }
};

struct Outcome {
  int exit_status = 0;
  std::string out, err;
};

Outcome RunCommandLine(FileSystem& files, const std::string& program_folder,
                       const std::vector<std::string>& paths) {
  cli::StringSink out, err;
  cli::ConsoleHost host(files, out, err, cli::ConsoleHostOptions{});
  FixedClock clock;
  Roads roads(host, RoadServices{RegionalSettings::C(), &clock, StagingLocation{program_folder, "", false}, std::nullopt});
  const cli::RunResult result =
      cli::ConvertFiles(paths, host, [&](const std::string& path) { return roads.Convert(path, Request::ByFile); });
  return {result.exit_status, out.text(), err.text()};
}

std::vector<std::string> UnfinishedFiles(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".tmp") found.push_back(entry.path().filename().string());
  }
  return found;
}

TEST(InjectedDiskFaults, AnOutputThatCannotBeWrittenGetsTheMessageAndExitStatusOne) {
  TempFolder folder;
  const std::string device = folder.File("trace.zbx"), chart = folder.File("route_TRK.txt");
  WriteWholeFile(device, "1,2,3,\"a\",1\r\n1,2,3,\"b\",1\r\n1,2,3,\"w\",2\r\n");
  WriteWholeFile(chart, "T;Raz;1;1\r\nP;1;2;3\r\n");
  // The same faults in another folder must not touch these files: they convert.
  const std::string other = folder.File("other");
  ASSERT_TRUE(std::filesystem::create_directory(other));
  ASSERT_TRUE(std::filesystem::create_directory(folder.File("program")));
  WriteWholeFile(other + "/fine.zbx", "1,2,3,\"a\",1\r\n");

  struct Fault {
    FsCall call;
    const char* what;
  };
  for (const Fault& fault : {Fault{FsCall::CreateTemporary, "a folder that cannot be written"},
                             Fault{FsCall::Write, "a disk that fills up while writing"},
                             Fault{FsCall::CloseOutput, "a disk full at the close"},
                             Fault{FsCall::Rename, "a replacement refused"}}) {
    SCOPED_TRACE(fault.what);
    for (const char* name : {"trace_TRK.txt", "trace_WPT.txt", "route_TRK.asc"}) {
      WriteWholeFile(folder.File(name), std::string("earlier ") + name);
    }
    RealFileSystem real;
    FaultyFileSystem files(real);
    // Every file written in the data folder fails; "other" stays sound.
    files.Fail(fault.call, 0, folder.path() + "/trace_");
    const Outcome first = RunCommandLine(files, folder.File("program"), {device, other + "/fine.zbx"});
    files.Fail(fault.call, 0, folder.path() + "/route_");
    const Outcome second = RunCommandLine(files, folder.File("program"), {chart});

    EXPECT_EQ(first.exit_status, 1);
    // The reason names the output that could not be written and why.
    EXPECT_EQ(first.err, MessageLine(device, kDeviceToChartError, "trace_TRK.txt : Erreur d'entrée/sortie"));
    EXPECT_EQ(first.out, CompletionLine("fine.zbx", "0 trace (0 point), 1 waypoint"));
    EXPECT_EQ(second.exit_status, 1);
    EXPECT_EQ(second.err, MessageLine(chart, kChartToDeviceError, "route_TRK.asc : Erreur d'entrée/sortie"));
    EXPECT_EQ(second.out, "");
    for (const char* name : {"trace_TRK.txt", "trace_WPT.txt", "route_TRK.asc"}) {
      EXPECT_EQ(ReadWholeFile(folder.File(name)), std::string("earlier ") + name) << name << " was not kept";
    }
    EXPECT_EQ(UnfinishedFiles(folder.path()), std::vector<std::string>{});
    EXPECT_EQ(ReadWholeFile(device), "1,2,3,\"a\",1\r\n1,2,3,\"b\",1\r\n1,2,3,\"w\",2\r\n");
  }
}

}  // namespace
}  // namespace tessaline::testing
