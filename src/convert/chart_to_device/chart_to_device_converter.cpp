#include "convert/chart_to_device/chart_to_device_converter.h"

namespace tessaline {

// Placeholder until the conversion lands.
ConversionOutcome ConvertChartToDevice(Host& host, const std::string&) {
  host.ShowMessage("Erreur dans le module de conversion Vestamar -> ZRB", MessageIcon::Error);
  return ConversionOutcome::Failed;
}

}  // namespace tessaline
