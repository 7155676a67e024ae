#pragma once
// The "Vestamar -> ZRB" road of the window: a GPX file becomes a device
// file, any other file goes to the chart-to-device converter as before. The
// one place where a front end's choice between them is made.

#include <string>

#include "convert/conversion_outcome.h"
#include "convert/gpx/gpx_conversions.h"
#include "host/host.h"

namespace tessaline {

ConversionOutcome ConvertToDevice(Host& host, const std::string& path);

}  // namespace tessaline
