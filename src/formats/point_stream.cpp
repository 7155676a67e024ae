#include "formats/point_stream.h"

#include "formats/gpx/gpx_model.h"

namespace tessaline {

double StreamPoint::Lat() const { return has_numbers ? lat_number : gpx::ReadGpxDecimal(lat_text).value_or(0); }
double StreamPoint::Lon() const { return has_numbers ? lon_number : gpx::ReadGpxDecimal(lon_text).value_or(0); }

}  // namespace tessaline
