#pragma once
// Conversions to and from GPX. Each writes its outputs beside the input,
// whole and atomically, never over the input, with the chart-to-device panel
// steps (1 the input, 2 its size, 3 the output built in memory, 4 written).
// A failure shows "Erreur dans le module de conversion GPX" and the reason.
//
//   ConvertGpxToDevice   x.gpx -> BASE.asc (five fields: runs numbered in Group)
//   ConvertGpxToChart    x.gpx -> BASE_TRK.txt and BASE_WPT.txt
//   ConvertDeviceToGpx   device point file -> BASE.gpx
//   ConvertChartToGpx    chart track or waypoint file -> BASE.gpx

#include <string>
#include <vector>

#include "convert/conversion_outcome.h"
#include "formats/gpx/gpx_notes.h"
#include "host/host.h"
#include "platform/clock.h"
#include "platform/regional_settings.h"

namespace tessaline::gpx {

// What the front end may show besides the panel: the summary of a completed
// conversion and the notes (skipped or changed items), filled in any case.
struct GpxReport {
  Summary summary;
  std::vector<Note> notes;
};

ConversionOutcome ConvertGpxToDevice(Host& host, const std::string& path, GpxReport* report = nullptr);
// P lines carry a stamp: the time of writing, in the regional notation.
ConversionOutcome ConvertGpxToChart(Host& host, const std::string& path, const RegionalSettings& regional,
                                    Clock& clock, GpxReport* report = nullptr);
ConversionOutcome ConvertDeviceToGpx(Host& host, const std::string& path, GpxReport* report = nullptr);
ConversionOutcome ConvertChartToGpx(Host& host, const std::string& path, GpxReport* report = nullptr);

// Whether `path` names a readable regular file whose content is GPX.
bool IsGpxFile(FileSystem& files, const std::string& path);

std::string GpxOutputPath(const std::string& input_path);  // BASE.gpx

}  // namespace tessaline::gpx
