#include "convert/gpx/device_road.h"

#include "convert/chart_to_device/chart_to_device_converter.h"

namespace tessaline {

ConversionOutcome ConvertToDevice(Host& host, const std::string& path) {
  if (gpx::IsGpxFile(host.Files(), path)) return gpx::ConvertGpxToDevice(host, path);
  return ConvertChartToDevice(host, path);
}

}  // namespace tessaline
