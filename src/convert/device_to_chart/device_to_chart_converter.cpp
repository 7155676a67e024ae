#include "convert/device_to_chart/device_to_chart_converter.h"

namespace tessaline {

DeviceToChartConverter::DeviceToChartConverter(Host& host, RegionalSettings regional, Clock& clock,
                                               StagingLocation location)
    : host_(host), regional_(std::move(regional)), clock_(clock), location_(std::move(location)) {}

// Placeholder until the conversion lands: refuses every file by name.
ConversionOutcome DeviceToChartConverter::ConvertDeviceToChart(const std::string&) {
  host_.ShowMessage("Problème de format: Ce fichier ne peut pas être traité.", MessageIcon::Information);
  return ConversionOutcome::Refused;
}

}  // namespace tessaline
