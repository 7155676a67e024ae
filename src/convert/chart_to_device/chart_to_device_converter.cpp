#include "convert/chart_to_device/chart_to_device_converter.h"

#include "convert/chart_to_device/chart_conversion_steps.h"
#include "convert/chart_to_device/track_conversion.h"
#include "convert/chart_to_device/waypoint_conversion.h"
#include "formats/chart_line_reader.h"

namespace tessaline {

namespace {

using namespace chart_to_device;

void DetectAndConvert(Host& host, const std::string& path, ConversionReport& report) {
  host.SetStepText(messages::kChartToDeviceStep1);
  FileSystem& files = host.Files();
  // A drop that held no file names none.
  if (path.empty()) throw ConversionFailure::FileOperation(path, FileFault{FileError::NotFound, ""});
  // Only a regular file: a directory would read as empty and a FIFO could
  // block the second pass.
  if (files.TypeOf(path) != FileType::Regular) throw ConversionFailure::FileOperation(path, files);
  const auto identity = files.Identity(path);
  if (!identity) throw ConversionFailure::FileOperation(path, files);
  const auto length = files.Length(path);
  if (!length) throw ConversionFailure::FileOperation(path, files);
  const ChartInput input{path, *identity, *length};
  // An input that is its own output would be lost; refuse before any work.
  RefuseOutputOverInput(files, DeviceOutputPath(path), input.identity);

  // A track file is one with a track header line; reading stops at the first.
  bool has_tracks = false;
  ReadInputLines(host, input, [&](std::string_view line) {
    has_tracks = KindOfChartLine(line) == ChartLineKind::TrackHeader;
    return !has_tracks;
  });
  if (has_tracks) {
    ConvertTrackFile(host, input, report);
  } else {
    ConvertWaypointFile(host, input, report);
  }
}

}  // namespace

ConversionOutcome ChartToDeviceConverter::ConvertChartToDevice(const std::string& path) {
  ConversionReport report(path);
  return RunConversion(host_, messages::kChartToDeviceError, report,
                       [&] { DetectAndConvert(host_, path, report); });
}

ConversionOutcome ConvertChartToDevice(Host& host, const std::string& path) {
  return ChartToDeviceConverter(host).ConvertChartToDevice(path);
}

}  // namespace tessaline
