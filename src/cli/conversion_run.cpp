#include "cli/conversion_run.h"

#include "convert/messages.h"
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
    case Direction::ToGpx:  // decided by the overload that knows the content
    case Direction::ByFileName: break;
  }
  return EndsInZbxAnyCase(FileNameOfPath(path)) ? FileDirection::DeviceToChart
                                                : FileDirection::ChartToDevice;
}

FileDirection DirectionOf(const std::string& path, Direction choice, bool is_gpx) {
  if (is_gpx) {
    switch (choice) {
      case Direction::ToGpx: return FileDirection::AlreadyGpx;
      case Direction::DeviceToChart: return FileDirection::GpxToChart;
      case Direction::ChartToDevice:
      case Direction::ByFileName: return FileDirection::GpxToDevice;
    }
  }
  if (choice == Direction::ToGpx) {
    return EndsInZbxAnyCase(FileNameOfPath(path)) ? FileDirection::DeviceToGpx : FileDirection::ChartToGpx;
  }
  return DirectionOf(path, choice);
}

namespace {

ConversionOutcome Convert(const std::string& path, Direction choice, ConsoleHost& host,
                          const Converters& converters) {
  const bool is_gpx = converters.is_gpx && converters.is_gpx(path);
  switch (DirectionOf(path, choice, is_gpx)) {
    case FileDirection::DeviceToChart: return converters.device_to_chart(path);
    case FileDirection::ChartToDevice: return converters.chart_to_device(path);
    case FileDirection::GpxToDevice: return converters.gpx_to_device(path);
    case FileDirection::GpxToChart: return converters.gpx_to_chart(path);
    case FileDirection::DeviceToGpx: return converters.device_to_gpx(path);
    case FileDirection::ChartToGpx: return converters.chart_to_gpx(path);
    case FileDirection::AlreadyGpx: break;
  }
  host.ShowMessage(messages::kGpxError, MessageIcon::Error, ConversionNotes{path, messages::kAlreadyGpx, "", {}});
  return ConversionOutcome::Failed;
}

}  // namespace

RunResult ConvertFiles(const std::vector<std::string>& files, Direction choice, ConsoleHost& host,
                       const Converters& converters) {
  RunResult result;
  for (const std::string& path : files) {
    if (host.StopRequested()) {
      result.stopped = true;
      break;
    }
    host.BeginFile(path);
    const ConversionOutcome outcome = Convert(path, choice, host, converters);
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
