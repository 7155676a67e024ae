#include "convert/chart_to_device/chart_conversion_steps.h"

#include "platform/path_names.h"

namespace tessaline::chart_to_device {

std::string DeviceOutputPath(const std::string& input_path) {
  return BaseName(input_path) + ".asc";
}

}  // namespace tessaline::chart_to_device
