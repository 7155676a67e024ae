#pragma once
// The tables of roads: which conversion a file takes, decided once, in this
// one place, from what the front end asks for and from the file itself.
// The window, the command line and the tests all ask them; ARCHITECTURE.md
// draws them.
//
// Two tables: the readers, chosen by the file's content (XML is GPX for
// every request, whatever its name), and by its name where the device
// file's name rule decides; the writers, chosen by the request. A reader and
// a writer make a road, and each road is one descriptor: its formats, how
// it runs, the names of its outputs and the message a failure is shown
// under (its reader's format's).
//
// The file is looked at twice at most: whether its content starts as XML,
// and whether its name ends in "zbx". A file that cannot be opened takes
// the road its request and its name give, and fails there with the file
// error's reason.

#include <string>
#include <string_view>
#include <vector>

#include "convert/gpx/stream_road.h"
#include "host/file_system.h"

namespace tessaline {

using gpx::Format;

// What a front end asks for.
enum class Request {
  DeviceToChart,   // the window's "ZRB -> Vestamar": the device file's name rule alone decides
  WindowToDevice,  // the window's "Vestamar -> ZRB": GPX, else a chart file
  ToDevice,        // tessaline-convert -d, -t device
  ToChart,         // tessaline-convert -c, -t chart
  ByFile,          // tessaline-convert without an option, a file opened with the window: the file decides
  ToGpx,           // tessaline-convert -g, -t gpx; the window program's --gpx
  ToKml,           // tessaline-convert -t kml
  ToKmz,           // tessaline-convert -t kmz
};

// What the file's first bytes say.
enum class InputContent {
  Xml,         // starts as an XML document
  Kml,         // an XML document whose root is kml, or a zip archive (KMZ)
  Text,        // anything else: a device or chart file for the roads that take one
  NmeaLog,     // an NMEA 0183 log (formats/nmea_sentence.h: IsNmeaLog)
  Unreadable,  // cannot be opened or read (missing, a folder, no permission...)
};

enum class Road {
  DeviceToChart,   // the device-to-chart converter: BASE_TRK.txt, BASE_WPT.txt
  ChartToDevice,   // the chart-to-device converter: BASE.asc
  GpxToDevice,     // the others are a reader, the fit and a writer
  GpxToChart,
  GpxToGpx,
  DeviceToGpx,
  DeviceToDevice,
  ChartToGpx,
  ChartToChart,
  NmeaToDevice,    // an NMEA 0183 log read on the stream
  NmeaToChart,
  NmeaToGpx,
  NmeaToKml,
  NmeaToKmz,
  KmlToDevice,
  KmlToChart,
  KmlToGpx,
  KmlToKml,
  GpxToKml,
  DeviceToKml,
  ChartToKml,
  KmlToKmz,
  GpxToKmz,
  DeviceToKmz,
  ChartToKmz,
};

// How a road runs.
enum class Runner {
  DeviceToChartConverter,
  ChartToDeviceConverter,
  Stream,  // gpx::ConvertStream
};

struct RoadDescriptor {
  Road road;
  Format from, to;
  Runner runner;
  const char* message;  // a failure's: its reader's format's
  // The outputs for `path` (a chart's: the track file, then the waypoint
  // file); `output` is the name the user chose (-o), "" when none.
  std::vector<std::string> (*outputs)(const std::string& path, const std::string& output);
};


// What `path` holds, from its first bytes.
InputContent ContentOf(FileSystem& files, const std::string& path);

// The reader of a file of that content and name under `request`.
Format ReaderOf(Request request, InputContent content, bool zbx_name);
// The writer `request` asks for, after a file read by `reader`.
Format WriterOf(Request request, Format reader);

// The road of a file of that content and name under `request`.
const RoadDescriptor& RoadOf(Request request, InputContent content, bool zbx_name);
// The same, looking at the file (the window's "ZRB -> Vestamar" never does).
const RoadDescriptor& RoadOf(FileSystem& files, const std::string& path, Request request);

// The descriptor of `road`.
const RoadDescriptor& Describe(Road road);

}  // namespace tessaline
