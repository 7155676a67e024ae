#pragma once
// Conversions to and from GPX. Each writes its outputs beside the input,
// whole and atomically, never over the input, with the chart-to-device panel
// steps (1 the input, 2 its size, 3 the output built in memory, 4 written).
// A failure shows its input format's message ("Erreur dans le module de
// conversion GPX" for GPX, "... ZRB -> Vestamar" for a device file,
// "... Vestamar -> ZRB" for a chart file) and the reason;
// a completion carries the summary ("2 traces (157 points), 3 waypoints")
// and the warnings.
//
//   ConvertGpxToDevice   x.gpx -> BASE.asc (five fields: runs numbered in Group)
//   ConvertGpxToChart    x.gpx -> BASE_TRK.txt and BASE_WPT.txt
//   ConvertDeviceToGpx   device point file -> BASE.gpx
//   ConvertChartToGpx    chart track or waypoint file -> BASE.gpx

#include <string>

#include "convert/conversion_outcome.h"
#include "convert/track_budget.h"
#include "host/host.h"
#include "platform/clock.h"
#include "platform/regional_settings.h"

namespace tessaline::gpx {

// `budget`: the points each output may hold (track_budget.h); a device
// file's is the device's limit unless the user chose another.
ConversionOutcome ConvertGpxToDevice(Host& host, const std::string& path,
                                     const PointBudget& budget = PointBudget::ForDevice(std::nullopt));
// P lines carry a stamp: the time of writing, in the regional notation.
ConversionOutcome ConvertGpxToChart(Host& host, const std::string& path, const RegionalSettings& regional,
                                    Clock& clock, const PointBudget& budget = {});
ConversionOutcome ConvertDeviceToGpx(Host& host, const std::string& path, const PointBudget& budget = {});
ConversionOutcome ConvertChartToGpx(Host& host, const std::string& path, const PointBudget& budget = {});

std::string GpxOutputPath(const std::string& input_path);  // BASE.gpx

}  // namespace tessaline::gpx
