#include "cli/conversion_run.h"

#include "platform/path_names.h"

namespace tessaline::cli {

namespace {

bool EndsInZbxAnyCase(const std::string& name) {
  if (name.size() < 3) return false;
  const std::string_view end = std::string_view(name).substr(name.size() - 3);
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return lower(end[0]) == 'z' && lower(end[1]) == 'b' && lower(end[2]) == 'x';
}

}  // namespace

FileDirection DirectionOf(const std::string& path, Direction choice) {
  switch (choice) {
    case Direction::DeviceToChart: return FileDirection::DeviceToChart;
    case Direction::ChartToDevice: return FileDirection::ChartToDevice;
    case Direction::ByFileName: break;
  }
  return EndsInZbxAnyCase(FileNameOfPath(path)) ? FileDirection::DeviceToChart
                                                : FileDirection::ChartToDevice;
}

RunResult ConvertFiles(const std::vector<std::string>& files, Direction choice, ConsoleHost& host,
                       const Converters& converters) {
  RunResult result;
  for (const std::string& path : files) {
    if (host.StopRequested()) {
      result.stopped = true;
      break;
    }
    host.BeginFile(path);
    const ConversionOutcome outcome = DirectionOf(path, choice) == FileDirection::DeviceToChart
                                          ? converters.device_to_chart(path)
                                          : converters.chart_to_device(path);
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
