#include "cli/tessaline_convert.h"

#include "cli/cli_options.h"
#include "cli/console_host.h"
#include "cli/conversion_run.h"
#include "convert/chart_to_device/chart_to_device_converter.h"
#include "convert/device_to_chart/device_to_chart_converter.h"
#include "convert/gpx/gpx_conversions.h"
#include "platform/clock.h"
#include "host/real_file_system.h"
#include "platform/user_regional_settings.h"

namespace tessaline::cli {

namespace {

void AddGpxConverters(Converters& converters, ConsoleHost& host, Clock& clock) {
  converters.is_gpx = [&host](const std::string& path) { return gpx::IsGpxFile(host.Files(), path); };
  converters.gpx_to_device = [&host](const std::string& path) { return gpx::ConvertGpxToDevice(host, path); };
  converters.gpx_to_chart = [&host, &clock](const std::string& path) {
    return gpx::ConvertGpxToChart(host, path, UserRegionalSettings(), clock);
  };
  converters.device_to_gpx = [&host](const std::string& path) { return gpx::ConvertDeviceToGpx(host, path); };
  converters.chart_to_gpx = [&host](const std::string& path) { return gpx::ConvertChartToGpx(host, path); };
}

}  // namespace

ProgramResult RunTessalineConvert(const std::vector<std::string>& arguments, ProcessStreams streams) {
  const CliOptions options = ParseCommandLine(arguments);
  switch (options.action) {
    case CliAction::ShowHelp: streams.out.Write(HelpText()); return {};
    case CliAction::ShowVersion: streams.out.Write(VersionText()); return {};
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

  // One device-to-chart converter for the whole run, as the window keeps one.
  SystemClock clock;
  DeviceToChartConverter device_to_chart(host, UserRegionalSettings(), clock, DefaultStagingLocation());
  Converters converters;
  converters.device_to_chart = [&](const std::string& path) {
    return device_to_chart.ConvertDeviceToChart(path);
  };
  ChartToDeviceConverter chart_to_device(host);
  converters.chart_to_device = [&](const std::string& path) {
    return chart_to_device.ConvertChartToDevice(path);
  };
  AddGpxConverters(converters, host, clock);

  const RunResult run = ConvertFiles(options.files, options.direction, host, converters);
  ProgramResult result{run.exit_status, run.stopped};
  if (streams.out.Failed()) {
    // The completion lines are the run's report; losing them is a failure.
    streams.err.Write(Joined({kProgramName, ": erreur d'écriture sur la sortie standard\n"}));
    result.exit_status = std::max(result.exit_status, kExitSomeFileFailed);
  }
  return result;
}

}  // namespace tessaline::cli
