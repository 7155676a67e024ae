#include "convert/gpx/device_road.h"

#include "convert/chart_to_device/chart_to_device_converter.h"

namespace tessaline {

ConversionOutcome ConvertToDevice(Host& host, const std::string& path, gpx::GpxReport* report) {
  if (gpx::IsGpxFile(host.Files(), path)) return gpx::ConvertGpxToDevice(host, path, report);
  return ConvertChartToDevice(host, path);
}

}  // namespace tessaline
