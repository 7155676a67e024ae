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

enum class FileDirection {
  DeviceToChart, ChartToDevice,
  GpxToDevice, GpxToChart, DeviceToGpx, ChartToGpx,
  AlreadyGpx,  // -g on a GPX file: refused
};

// The direction for `path`. Without a choice on the command line, a file
// name ending in "zbx" in any case goes device to chart: "TRACE.ZBX" then
// gets the format message rather than being quietly read as a chart file.
FileDirection DirectionOf(const std::string& path, Direction choice);

// The same with GPX: a file whose content is GPX (`is_gpx`) goes to the
// device file, or to the chart files with -c; -g writes GPX from a device
// file (a name ending in "zbx" in any case) or from a chart file.
FileDirection DirectionOf(const std::string& path, Direction choice, bool is_gpx);

struct Converters {
  using Converter = std::function<ConversionOutcome(const std::string& path)>;
  Converter device_to_chart;
  Converter chart_to_device;
  // GPX; without is_gpx no file is taken for GPX.
  std::function<bool(const std::string& path)> is_gpx;
  Converter gpx_to_device, gpx_to_chart, device_to_gpx, chart_to_gpx;
};

struct RunResult {
  int exit_status = kExitAllConverted;
  bool stopped = false;  // the user interrupted the run; later files were not started
};

// A file that fails does not keep the others from being converted.
RunResult ConvertFiles(const std::vector<std::string>& files, Direction choice, ConsoleHost& host,
                       const Converters& converters);

}  // namespace tessaline::cli
