#include "cli/tessaline_convert.h"

#include "cli/cli_options.h"
#include "cli/console_host.h"
#include "cli/conversion_run.h"
#include "convert/roads/roads.h"
#include "platform/clock.h"
#include "host/real_file_system.h"
#include "platform/user_regional_settings.h"

namespace tessaline::cli {

namespace {

constexpr const char* kStdoutWriteError = ": erreur d'écriture sur la sortie standard\n";

// Help and version asked for and not delivered (a full disk, a closed pipe)
// is a failure, as GNU tools report it.
ProgramResult WriteOrFail(ProcessStreams& streams, const std::string& text) {
  streams.out.Write(text);
  if (!streams.out.Failed()) return {};
  streams.err.Write(Joined({kProgramName, kStdoutWriteError}));
  return {kExitSomeFileFailed, false};
}

}  // namespace

ProgramResult RunTessalineConvert(const std::vector<std::string>& arguments, ProcessStreams streams) {
  const CliOptions options = ParseCommandLine(arguments);
  switch (options.action) {
    case CliAction::ShowHelp: return WriteOrFail(streams, HelpText());
    case CliAction::ShowVersion: return WriteOrFail(streams, VersionText());
    case CliAction::UsageError:
      streams.err.Write(UsageErrorText(options.error));
      return {kExitUsageError, false};
    case CliAction::Convert: break;
  }

  RealFileSystem files;
  ConsoleHostOptions host_options;
  host_options.quiet = options.quiet;
  host_options.show_progress = streams.stderr_is_terminal;
  host_options.columns = streams.terminal_columns;
  host_options.stop_requested = streams.stop_requested;
  ConsoleHost host(files, streams.out, streams.err, host_options);

  // One table of roads for the whole run, as the window keeps one.
  SystemClock clock;
  RoadServices services{UserRegionalSettings(), &clock, DefaultStagingLocation(), options.points};
  services.split = options.split;
  Roads roads(host, std::move(services));
  const RunResult run =
      ConvertFiles(options.files, host, [&](const std::string& path) { return roads.Convert(path, options.request, options.output); });
  ProgramResult result{run.exit_status, run.stopped};
  if (streams.out.Failed()) {
    // The completion lines are the run's report; losing them is a failure.
    streams.err.Write(Joined({kProgramName, kStdoutWriteError}));
    result.exit_status = std::max(result.exit_status, kExitSomeFileFailed);
  }
  return result;
}

}  // namespace tessaline::cli
