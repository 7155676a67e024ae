#include "convert/chart_to_device/chart_to_device_converter.h"

#include <new>

#include "convert/chart_to_device/chart_conversion_steps.h"
#include "convert/chart_to_device/track_conversion.h"
#include "convert/chart_to_device/waypoint_conversion.h"
#include "formats/chart_line_reader.h"

namespace tessaline {

namespace {

using namespace chart_to_device;

ConversionOutcome DetectAndConvert(Host& host, const std::string& path) {
  host.SetStepText(messages::kChartToDeviceStep1);
  FileSystem& files = host.Files();
  // Only a regular file: a directory would read as empty and a FIFO could
  // block the second pass.
  if (path.empty() || files.TypeOf(path) != FileType::Regular) return Fail(host);
  const auto identity = files.Identity(path);
  const auto length = files.Length(path);
  if (!identity || !length) return Fail(host);
  const ChartInput input{path, *identity, *length};
  // An input that is its own output would be lost; refuse before any work.
  if (OutputWouldReplaceInput(files, DeviceOutputPath(path), input.identity)) return Fail(host);

  // A track file is one with a track header line; reading stops at the first.
  bool has_tracks = false;
  const PassEnd end = ReadInputLines(host, input, [&](std::string_view line) {
    has_tracks = KindOfChartLine(line) == ChartLineKind::TrackHeader;
    return !has_tracks;
  });
  if (end != PassEnd::Finished) return Unfinished(host, end);
  return has_tracks ? ConvertTrackFile(host, input) : ConvertWaypointFile(host, input);
}

}  // namespace

ConversionOutcome ConvertChartToDevice(Host& host, const std::string& path) {
  try {
    return DetectAndConvert(host, path);
  } catch (const std::bad_alloc&) {
    // The output is held in memory whole; a file too big for it fails
    // like any other unusable input instead of ending the program.
    return chart_to_device::Fail(host);
  }
}

}  // namespace tessaline
