#include "convert/roads/road_table.h"

#include <iterator>

#include "convert/messages.h"
#include "formats/device_point_line.h"
#include "formats/gpx/xml_start.h"
#include "formats/nmea_sentence.h"
#include "formats/kml/kml_reader.h"
#include "formats/kml/kmz_archive.h"
#include "platform/path_names.h"

namespace tessaline {

namespace {

constexpr bool kAny = true, kOnly = false;
constexpr bool kZbx = true, kOther = false;
constexpr InputContent kXml = InputContent::Xml;
constexpr InputContent kKml = InputContent::Kml;
constexpr InputContent kText = InputContent::Text;
constexpr InputContent kUnreadable = InputContent::Unreadable;
constexpr InputContent kNmea = InputContent::NmeaLog;

// One row of the readers: under `request`, a file of `content` whose name
// ends in "zbx" (any case) or not is read as `reader`. Rows with
// `any_content` or `any_name` match whatever the file holds or is called.
struct ReaderRow {
  Request request;
  bool any_content;
  InputContent content;
  bool any_name;
  bool zbx_name;
  Format reader;
};

constexpr ReaderRow kReaders[] = {
    // The window's "ZRB -> Vestamar" keeps its name rule for every file.
    {Request::DeviceToChart, kAny, kText, kAny, kOther, Format::Device},

    // The window's "Vestamar -> ZRB": GPX by content, else a chart file.
    {Request::WindowToDevice, kOnly, kXml, kAny, kOther, Format::Gpx},
    {Request::WindowToDevice, kOnly, kNmea, kAny, kOther, Format::Nmea},
    {Request::WindowToDevice, kOnly, kKml, kAny, kOther, Format::Kml},
    {Request::WindowToDevice, kAny, kText, kAny, kOther, Format::Chart},

    // -d: GPX by content, a device file by its name, else a chart file.
    {Request::ToDevice, kOnly, kXml, kAny, kOther, Format::Gpx},
    {Request::ToDevice, kOnly, kNmea, kAny, kOther, Format::Nmea},
    {Request::ToDevice, kOnly, kKml, kAny, kOther, Format::Kml},
    {Request::ToDevice, kOnly, kText, kOnly, kZbx, Format::Device},
    {Request::ToDevice, kAny, kText, kAny, kOther, Format::Chart},

    // -c: GPX by content, a device file by its name (whose rule may refuse
    // it), else a chart file; a file that cannot be read and has no device
    // file's name can only have been meant as GPX, and its reason is given
    // there.
    {Request::ToChart, kOnly, kXml, kAny, kOther, Format::Gpx},
    {Request::ToChart, kOnly, kNmea, kAny, kOther, Format::Nmea},
    {Request::ToChart, kOnly, kKml, kAny, kOther, Format::Kml},
    {Request::ToChart, kOnly, kUnreadable, kOnly, kOther, Format::Gpx},
    {Request::ToChart, kAny, kText, kOnly, kZbx, Format::Device},
    {Request::ToChart, kAny, kText, kAny, kOther, Format::Chart},

    // No option, -g: GPX by content, else the name decides.
    {Request::ByFile, kOnly, kXml, kAny, kOther, Format::Gpx},
    {Request::ByFile, kOnly, kNmea, kAny, kOther, Format::Nmea},
    {Request::ByFile, kOnly, kKml, kAny, kOther, Format::Kml},
    {Request::ByFile, kAny, kText, kOnly, kZbx, Format::Device},
    {Request::ByFile, kAny, kText, kAny, kOther, Format::Chart},
    {Request::ToGpx, kOnly, kXml, kAny, kOther, Format::Gpx},
    {Request::ToGpx, kOnly, kNmea, kAny, kOther, Format::Nmea},
    {Request::ToGpx, kOnly, kKml, kAny, kOther, Format::Kml},
    {Request::ToGpx, kAny, kText, kOnly, kZbx, Format::Device},
    {Request::ToGpx, kAny, kText, kAny, kOther, Format::Chart},
    // -t kml, -t kmz: as -g.
    {Request::ToKml, kOnly, kXml, kAny, kOther, Format::Gpx},
    {Request::ToKml, kOnly, kKml, kAny, kOther, Format::Kml},
    {Request::ToKml, kOnly, kNmea, kAny, kOther, Format::Nmea},
    {Request::ToKml, kAny, kText, kOnly, kZbx, Format::Device},
    {Request::ToKml, kAny, kText, kAny, kOther, Format::Chart},
    {Request::ToKmz, kOnly, kXml, kAny, kOther, Format::Gpx},
    {Request::ToKmz, kOnly, kKml, kAny, kOther, Format::Kml},
    {Request::ToKmz, kOnly, kNmea, kAny, kOther, Format::Nmea},
    {Request::ToKmz, kAny, kText, kOnly, kZbx, Format::Device},
    {Request::ToKmz, kAny, kText, kAny, kOther, Format::Chart},
};

bool Matches(const ReaderRow& row, Request request, InputContent content, bool zbx_name) {
  return row.request == request && (row.any_content || row.content == content) &&
         (row.any_name || row.zbx_name == zbx_name);
}

// Names of the outputs. The converters' roads and those of today keep
// their bases; the others take the file name without its extension.

std::vector<std::string> ChartPair(const std::string& base) { return {base + "_TRK.txt", base + "_WPT.txt"}; }

bool EndsWithAnyCase(std::string_view text, std::string_view ending) {
  if (text.size() < ending.size()) return false;
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  const std::size_t at = text.size() - ending.size();
  for (std::size_t i = 0; i < ending.size(); ++i) {
    if (lower(text[at + i]) != lower(ending[i])) return false;
  }
  return true;
}

// -o for the two chart files: a trailing _TRK.txt or _WPT.txt is dropped.
std::string ChartBaseOfOutput(const std::string& output) {
  if (EndsWithAnyCase(output, "_TRK.txt") || EndsWithAnyCase(output, "_WPT.txt")) {
    return output.substr(0, output.size() - 8);
  }
  return output;
}

// A base that ends in _TRK or _WPT loses it: a track file and its waypoint
// file then make the same pair.
std::string ChartBaseOfInput(const std::string& base) {
  if (EndsWithAnyCase(base, "_TRK") || EndsWithAnyCase(base, "_WPT")) return base.substr(0, base.size() - 4);
  return base;
}

std::vector<std::string> PartsChartNames(const std::string& path, const std::string& output) {
  return ChartPair(output.empty() ? BaseName(path) : ChartBaseOfOutput(output));
}
std::vector<std::string> PartsDeviceName(const std::string& path, const std::string& output) {
  return {output.empty() ? BaseName(path) + ".asc" : output};
}
std::vector<std::string> GpxDeviceName(const std::string& path, const std::string& output) {
  return {output.empty() ? GpxBaseName(path) + ".asc" : output};
}
std::vector<std::string> GpxChartNames(const std::string& path, const std::string& output) {
  return ChartPair(output.empty() ? GpxBaseName(path) : ChartBaseOfOutput(output));
}
std::vector<std::string> GpxName(const std::string& path, const std::string& output) {
  return {output.empty() ? BaseName(path) + ".gpx" : output};
}
std::vector<std::string> OwnGpxName(const std::string& path, const std::string& output) {
  return {output.empty() ? GpxBaseName(path) + ".gpx" : output};
}
std::vector<std::string> KmlName(const std::string& path, const std::string& output) {
  return {output.empty() ? BaseName(path) + ".kml" : output};
}
std::vector<std::string> OwnKmlName(const std::string& path, const std::string& output) {
  return {output.empty() ? GpxBaseName(path) + ".kml" : output};
}
std::vector<std::string> KmzName(const std::string& path, const std::string& output) {
  return {output.empty() ? BaseName(path) + ".kmz" : output};
}
std::vector<std::string> OwnKmzName(const std::string& path, const std::string& output) {
  return {output.empty() ? GpxBaseName(path) + ".kmz" : output};
}
std::vector<std::string> OwnChartNames(const std::string& path, const std::string& output) {
  return ChartPair(output.empty() ? ChartBaseOfInput(GpxBaseName(path)) : ChartBaseOfOutput(output));
}

// A log's base: its path without ".nmea", ".nma", ".log" or ".txt" in any
// case, else as a GPX file's.
std::string NmeaBaseName(const std::string& path) {
  const std::size_t name = path.size() - FileNameOfPath(path).size();
  for (const std::string_view ending : {".nmea", ".nma", ".log", ".txt"}) {
    if (path.size() - name > ending.size() && EndsWithAnyCase(path, ending)) {
      return path.substr(0, path.size() - ending.size());
    }
  }
  return GpxBaseName(path);
}
std::vector<std::string> NmeaDeviceName(const std::string& path, const std::string& output) {
  return {output.empty() ? NmeaBaseName(path) + ".asc" : output};
}
std::vector<std::string> NmeaChartNames(const std::string& path, const std::string& output) {
  return ChartPair(output.empty() ? NmeaBaseName(path) : ChartBaseOfOutput(output));
}
std::vector<std::string> NmeaGpxName(const std::string& path, const std::string& output) {
  return {output.empty() ? NmeaBaseName(path) + ".gpx" : output};
}
std::vector<std::string> NmeaKmlName(const std::string& path, const std::string& output) {
  return {output.empty() ? NmeaBaseName(path) + ".kml" : output};
}
std::vector<std::string> NmeaKmzName(const std::string& path, const std::string& output) {
  return {output.empty() ? NmeaBaseName(path) + ".kmz" : output};
}

constexpr RoadDescriptor kRoads[] = {
    {Road::DeviceToChart, Format::Device, Format::Chart, Runner::DeviceToChartConverter,
     messages::kDeviceToChartError, &PartsChartNames},
    {Road::ChartToDevice, Format::Chart, Format::Device, Runner::ChartToDeviceConverter,
     messages::kChartToDeviceError, &PartsDeviceName},
    {Road::GpxToDevice, Format::Gpx, Format::Device, Runner::Stream, messages::kGpxError, &GpxDeviceName},
    {Road::GpxToChart, Format::Gpx, Format::Chart, Runner::Stream, messages::kGpxError, &GpxChartNames},
    {Road::GpxToGpx, Format::Gpx, Format::Gpx, Runner::Stream, messages::kGpxError, &OwnGpxName},
    {Road::DeviceToGpx, Format::Device, Format::Gpx, Runner::Stream, messages::kDeviceToChartError, &GpxName},
    {Road::DeviceToDevice, Format::Device, Format::Device, Runner::Stream, messages::kDeviceToChartError,
     &GpxDeviceName},
    {Road::ChartToGpx, Format::Chart, Format::Gpx, Runner::Stream, messages::kChartToDeviceError, &GpxName},
    {Road::ChartToChart, Format::Chart, Format::Chart, Runner::Stream, messages::kChartToDeviceError,
     &OwnChartNames},
    {Road::NmeaToDevice, Format::Nmea, Format::Device, Runner::Stream, messages::kNmeaError, &NmeaDeviceName},
    {Road::NmeaToChart, Format::Nmea, Format::Chart, Runner::Stream, messages::kNmeaError, &NmeaChartNames},
    {Road::NmeaToGpx, Format::Nmea, Format::Gpx, Runner::Stream, messages::kNmeaError, &NmeaGpxName},
    // KML's message for every road that reads or writes it.
    {Road::KmlToDevice, Format::Kml, Format::Device, Runner::Stream, messages::kKmlError, &GpxDeviceName},
    {Road::KmlToChart, Format::Kml, Format::Chart, Runner::Stream, messages::kKmlError, &GpxChartNames},
    {Road::KmlToGpx, Format::Kml, Format::Gpx, Runner::Stream, messages::kKmlError, &OwnGpxName},
    {Road::KmlToKml, Format::Kml, Format::Kml, Runner::Stream, messages::kKmlError, &OwnKmlName},
    {Road::GpxToKml, Format::Gpx, Format::Kml, Runner::Stream, messages::kKmlError, &KmlName},
    {Road::DeviceToKml, Format::Device, Format::Kml, Runner::Stream, messages::kKmlError, &KmlName},
    {Road::ChartToKml, Format::Chart, Format::Kml, Runner::Stream, messages::kKmlError, &KmlName},
    {Road::KmlToKmz, Format::Kml, Format::Kmz, Runner::Stream, messages::kKmlError, &OwnKmzName},
    {Road::GpxToKmz, Format::Gpx, Format::Kmz, Runner::Stream, messages::kKmlError, &KmzName},
    {Road::DeviceToKmz, Format::Device, Format::Kmz, Runner::Stream, messages::kKmlError, &KmzName},
    {Road::ChartToKmz, Format::Chart, Format::Kmz, Runner::Stream, messages::kKmlError, &KmzName},
    {Road::NmeaToKml, Format::Nmea, Format::Kml, Runner::Stream, messages::kKmlError, &NmeaKmlName},
    {Road::NmeaToKmz, Format::Nmea, Format::Kmz, Runner::Stream, messages::kKmlError, &NmeaKmzName},
};

}  // namespace

InputContent ContentOf(FileSystem& files, const std::string& path) {
  if (path.empty() || files.TypeOf(path) != FileType::Regular) return InputContent::Unreadable;
  auto input = files.OpenRead(path);
  if (!input) return InputContent::Unreadable;
  const std::optional<bool> xml = gpx::StartsAsXml(**input);
  if (!xml) return InputContent::Unreadable;
  if (!*xml) {
    // A zip archive is KMZ; nothing else here starts with its mark.
    auto again = files.OpenRead(path);
    char head[4] = {};
    if (again && (*again)->Read(head, sizeof head) == 4 && kml::StartsAsZip(std::string_view(head, 4))) {
      return InputContent::Kml;
    }
    // Read again from its start: a log is told by its first lines.
    auto from_start = files.OpenRead(path);
    if (!from_start) return InputContent::Unreadable;
    const std::optional<bool> log = nmea::IsNmeaLog(**from_start);
    if (!log) return InputContent::Unreadable;
    return *log ? InputContent::NmeaLog : InputContent::Text;
  }
  // Which XML: its root tells KML from GPX (and from anything else, which
  // the GPX reader refuses naming its root).
  auto again = files.OpenRead(path);
  if (again && kml::IsKmlDocument(**again)) return InputContent::Kml;
  return InputContent::Xml;
}

Format ReaderOf(Request request, InputContent content, bool zbx_name) {
  for (const ReaderRow& row : kReaders) {
    if (Matches(row, request, content, zbx_name)) return row.reader;
  }
  // Every request ends in a row that takes any file.
  return Format::Chart;
}

Format WriterOf(Request request, Format reader) {
  switch (request) {
    case Request::DeviceToChart:
    case Request::ToChart: return Format::Chart;
    case Request::WindowToDevice:
    case Request::ToDevice: return Format::Device;
    case Request::ToGpx: return Format::Gpx;
    case Request::ToKml: return Format::Kml;
    case Request::ToKmz: return Format::Kmz;
    case Request::ByFile: break;
  }
  // The file decides: a device file goes to the chart, any other to the device.
  return reader == Format::Device ? Format::Chart : Format::Device;
}

const RoadDescriptor& Describe(Road road) {
  for (const RoadDescriptor& descriptor : kRoads) {
    if (descriptor.road == road) return descriptor;
  }
  return kRoads[0];
}

const RoadDescriptor& RoadOf(Request request, InputContent content, bool zbx_name) {
  const Format reader = ReaderOf(request, content, zbx_name);
  const Format writer = WriterOf(request, reader);
  for (const RoadDescriptor& descriptor : kRoads) {
    if (descriptor.from == reader && descriptor.to == writer) return descriptor;
  }
  return kRoads[0];  // every pair has its road
}

const RoadDescriptor& RoadOf(FileSystem& files, const std::string& path, Request request) {
  // The window's "ZRB -> Vestamar" never looks inside the file.
  const InputContent content = request == Request::DeviceToChart ? InputContent::Text : ContentOf(files, path);
  return RoadOf(request, content, HasDeviceFileName(path));
}

}  // namespace tessaline
