#include "convert/chart_to_device/chart_to_device_converter.h"

#include "convert/chart_to_device/chart_conversion_steps.h"
#include "convert/chart_to_device/track_conversion.h"
#include "convert/chart_to_device/waypoint_conversion.h"
#include "convert/input_file.h"
#include "formats/chart_line_reader.h"

namespace tessaline {

namespace {

using namespace chart_to_device;

void DetectAndConvert(Host& host, const std::string& path, const PointBudget& budget, const std::string& output,
                      std::vector<std::string>* parts, ConversionReport& report) {
  host.SetStepText(messages::kChartToDeviceStep1);
  FileSystem& files = host.Files();
  const InputFile checked = CheckInputFile(files, path);
  const ChartInput input{path, checked.identity, checked.length, budget,
                         output.empty() ? DeviceOutputPath(path) : output, parts};
  // An input that is its own output would be lost; refuse before any work.
  RefuseOutputOverInput(files, input.output, input.identity);

  // A track file is one with a track header line; reading stops at the first.
  bool has_tracks = false;
  ReadInputLines(host, input, nullptr, [&](std::string_view line) {
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

ConversionOutcome ChartToDeviceConverter::ConvertChartToDevice(const std::string& path, const std::string& output,
                                                               std::vector<std::string>* parts) {
  ConversionReport report(path);
  return RunConversion(host_, messages::kChartToDeviceError, report,
                       [&] { DetectAndConvert(host_, path, budget_, output, parts, report); });
}

ConversionOutcome ConvertChartToDevice(Host& host, const std::string& path, const PointBudget& budget,
                                       const std::string& output, std::vector<std::string>* parts) {
  return ChartToDeviceConverter(host, budget).ConvertChartToDevice(path, output, parts);
}

}  // namespace tessaline
