#include "cli/conversion_run.h"

namespace tessaline::cli {

RunResult ConvertFiles(const std::vector<std::string>& files, ConsoleHost& host, const ConvertOneFile& convert) {
  RunResult result;
  for (const std::string& path : files) {
    if (host.StopRequested()) {
      result.stopped = true;
      break;
    }
    host.BeginFile(path);
    const ConversionOutcome outcome = convert(path);
    host.EndFile();
    switch (outcome) {
      case ConversionOutcome::Completed: break;
      case ConversionOutcome::Refused:
      case ConversionOutcome::Failed: result.exit_status = kExitSomeFileFailed; break;
      case ConversionOutcome::Stopped: result.stopped = true; break;
    }
    if (result.stopped) break;
  }
  return result;
}

}  // namespace tessaline::cli
