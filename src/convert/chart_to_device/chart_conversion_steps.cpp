#include "convert/chart_to_device/chart_conversion_steps.h"

#include "convert/input_file.h"
#include "platform/path_names.h"

namespace tessaline::chart_to_device {

std::string DeviceOutputPath(const std::string& input_path) {
  return BaseName(input_path) + ".asc";
}

void CheckSameInput(FileSystem& files, const ChartInput& input) {
  tessaline::CheckSameInput(files, input.path, InputFile{input.identity, input.length});
}

}  // namespace tessaline::chart_to_device
