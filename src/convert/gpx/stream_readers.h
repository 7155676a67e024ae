#pragma once
// A reader for each format, each telling a sink of the stream of points
// (formats/point_stream.h) what its file holds, by its format's rules, with
// the panel's percentage and its yields as it goes. Each throws what ends
// the conversion (a read error, a refusal, a stop) and returns false when
// the sink stopped it.

#include "convert/gpx/gpx_job.h"
#include "formats/point_stream.h"
#include "host/file_system.h"

namespace tessaline::gpx {

// `numbers`: whether the sink needs the coordinates as numbers (a fit);
// `eight_bit`: whether the texts go to an 8-bit file (a device or chart
// file's, of a file whose mark says Unicode, are made 8-bit as they are read).

// Runs of equal Group of several points are tracks, runs of one point
// waypoints, as the device-to-chart converter cuts them; texts 8-bit.
bool ReadDeviceFile(GpxJob& job, InputStream& input, PointSink& sink, bool numbers, bool eight_bit);
// A T line and its P lines are one track, each W line a waypoint; texts 8-bit.
bool ReadChartFile(GpxJob& job, InputStream& input, PointSink& sink, bool numbers, bool eight_bit);
// Every <trk>, <rte> and <wpt> a run, in document order; texts UTF-8.
bool ReadGpxFile(GpxJob& job, InputStream& input, PointSink& sink);
// An NMEA 0183 log (nmea_log_reader.cpp): a track per stretch of logging, a
// point per fix time; WPL waypoints as they come, RTE routes at the end;
// texts ASCII. Reads ahead to the log's first date first.
bool ReadNmeaFile(GpxJob& job, InputStream& input, PointSink& sink, bool numbers, bool eight_bit);
// The least bytes of a log's line that gives a point ("$GPGLL,000,N,000,E,000000,A").
inline constexpr std::uint64_t kLeastNmeaPointBytes = 24;
// Every Placemark's Point, LineString, gx:Track and gx:MultiTrack, and this
// program's routes, in document order (formats/kml/kml_reader.h); what no
// point file holds is told once per kind; texts UTF-8.
bool ReadKmlFile(GpxJob& job, InputStream& input, PointSink& sink);

}  // namespace tessaline::gpx
