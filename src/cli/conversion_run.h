#pragma once
// The run loop: each file in turn, in the direction chosen for it, through
// one console host; the exit status sums up how they all ended.

#include <functional>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/console_host.h"
#include "convert/conversion_outcome.h"

namespace tessaline::cli {

enum class FileDirection { DeviceToChart, ChartToDevice };

// The direction for `path`. Without a choice on the command line, a file
// name ending in "zbx" in any case goes device to chart: "TRACE.ZBX" then
// gets the format message rather than being quietly read as a chart file.
FileDirection DirectionOf(const std::string& path, Direction choice);

struct Converters {
  std::function<ConversionOutcome(const std::string& path)> device_to_chart;
  std::function<ConversionOutcome(const std::string& path)> chart_to_device;
};

struct RunResult {
  int exit_status = kExitAllConverted;
  bool stopped = false;  // the user interrupted the run; later files were not started
};

// A file that fails does not keep the others from being converted.
RunResult ConvertFiles(const std::vector<std::string>& files, Direction choice, ConsoleHost& host,
                       const Converters& converters);

}  // namespace tessaline::cli
