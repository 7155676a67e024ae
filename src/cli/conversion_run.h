#pragma once
// The run loop: each file in turn, through one console host; the exit
// status sums up how they all ended.

#include <functional>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/console_host.h"
#include "convert/conversion_outcome.h"

namespace tessaline::cli {

// Converts one file; the command line passes its table of roads.
using ConvertOneFile = std::function<ConversionOutcome(const std::string& path)>;

struct RunResult {
  int exit_status = kExitAllConverted;
  bool stopped = false;  // the user interrupted the run; later files were not started
};

// A file that fails does not keep the others from being converted.
RunResult ConvertFiles(const std::vector<std::string>& files, ConsoleHost& host, const ConvertOneFile& convert);

}  // namespace tessaline::cli
