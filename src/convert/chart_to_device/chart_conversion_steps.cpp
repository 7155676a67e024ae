#include "convert/chart_to_device/chart_conversion_steps.h"

#include "platform/path_names.h"

namespace tessaline::chart_to_device {

std::string DeviceOutputPath(const std::string& input_path) {
  return BaseName(input_path) + ".asc";
}

void CheckSameInput(FileSystem& files, const ChartInput& input) {
  const auto identity = files.Identity(input.path);
  if (!identity) throw ConversionFailure::FileOperation(input.path, files);
  const auto length = files.Length(input.path);  // none for anything but a regular file
  if (!length) throw ConversionFailure::FileOperation(input.path, files);
  if (*identity != input.identity || *length != input.length) {
    throw ConversionFailure::OfFile(input.path, messages::kInputChanged);
  }
}

}  // namespace tessaline::chart_to_device
