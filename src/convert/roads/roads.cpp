#include "convert/roads/roads.h"

#include <exception>
#include <string_view>
#include <new>

#include "convert/chart_to_device/chart_to_device_converter.h"
#include "convert/messages.h"
#include "formats/chart_line_reader.h"
#include "formats/line_reader.h"

namespace tessaline {

Roads::Roads(Host& host, RoadServices services)
    : host_(host),
      services_(std::move(services)),
      device_to_chart_(std::make_unique<DeviceToChartConverter>(host_, services_.regional, *services_.clock,
                                                                services_.staging, BudgetOf(Format::Chart))) {}

PointBudget Roads::BudgetOf(Format format) const {
  if (format == Format::Device) {
    return PointBudget::ForDevice(services_.points, services_.regional.decimal_mark, services_.split);
  }
  return PointBudget{services_.points, services_.regional.decimal_mark, services_.split && format != Format::Chart};
}

Roads::~Roads() = default;

const RoadDescriptor& Roads::Decide(const std::string& path, Request request) {
  return RoadOf(host_.Files(), path, request);
}

namespace {
// A road whose outputs may take its input's name: its format's (KML read
// from a KMZ archive, written as one, is).
bool OwnFormat(const RoadDescriptor& road) {
  return road.from == road.to || (road.from == Format::Kml && road.to == Format::Kmz);
}

// Whether a chart file has a track header line ("T" alone or "T;..."), the
// rule by which the chart-to-device converter takes it as a track file;
// false for a file that cannot be read.
bool ChartFileHasTracks(FileSystem& files, const std::string& path) {
  auto input = files.OpenRead(path);
  if (!input) return false;
  LineReader lines(**input);
  std::string_view line;
  for (bool first = true; lines.Next(line); first = false) {
    if (first && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);  // a UTF-8 byte-order mark
    if (KindOfChartLine(line) == ChartLineKind::TrackHeader) return true;
  }
  return false;
}
}  // namespace

ConversionOutcome Roads::Run(const RoadDescriptor& road, const std::string& path, const std::string& output,
                             std::vector<std::string>& parts) {
  // The converters name their own outputs unless the user chose them.
  switch (road.runner) {
    case Runner::DeviceToChartConverter: {
      // The base of BASE_TRK.txt, the first of the two.
      std::string base = output.empty() ? std::string() : road.outputs(path, output).front();
      if (!base.empty()) base.resize(base.size() - std::string_view("_TRK.txt").size());
      return device_to_chart_->ConvertDeviceToChart(path, base);
    }
    case Runner::ChartToDeviceConverter:
      return ConvertChartToDevice(host_, path, BudgetOf(Format::Device),
                                  output.empty() ? std::string() : road.outputs(path, output).front(), &parts);
    case Runner::Stream: break;
  }
  gpx::StreamRoad stream{road.from, road.to, road.outputs(path, output), road.message,
                         OwnFormat(road) ? messages::kOutputOverInputNameIt : nullptr, services_.log_day};
  return gpx::ConvertStream(host_, path, stream,
                            {&services_.regional, services_.clock, BudgetOf(road.to), &parts, services_.second});
}

ConversionOutcome Roads::Convert(const std::string& path, const RoadDescriptor& road, const std::string& output) {
  try {
    std::vector<std::string> parts;
    const ConversionOutcome outcome = Run(road, path, output, parts);
    if (outcome == ConversionOutcome::Completed && services_.second != nullptr) {
      // The outputs as written: the parts of one cut, else the road's own;
      // a cut is told nothing while it reads, so its input is read again.
      gpx::StreamRoad written{road.from, road.to, parts.empty() ? road.outputs(path, output) : parts, road.message,
                              nullptr, services_.log_day};
      if (road.runner == Runner::ChartToDeviceConverter && !ChartFileHasTracks(host_.Files(), path)) {
        // A waypoint file's device lines carry no group, and read back they
        // would be one track; every waypoint is written, so the picture
        // takes them from the file converted.
        written.to = Format::Chart;
        written.outputs = {path};
      }
      gpx::FeedSecondSink(host_, path, written, *services_.second, road.runner == Runner::Stream && parts.empty());
    }
    return outcome;
  } catch (const std::bad_alloc&) {
    host_.ShowMessage(road.message, MessageIcon::Error, ConversionNotes{path, messages::kOutOfMemory, "", {}});
  } catch (const std::exception&) {
    host_.ShowMessage(road.message, MessageIcon::Error, ConversionNotes{path, messages::kUnexpected, "", {}});
  }
  return ConversionOutcome::Failed;
}

ConversionOutcome Roads::Convert(const std::string& path, Request request, const std::string& output) {
  const RoadDescriptor* road = &Describe(Road::ChartToDevice);
  try {
    road = &Decide(path, request);
  } catch (const std::bad_alloc&) {
    host_.ShowMessage(road->message, MessageIcon::Error, ConversionNotes{path, messages::kOutOfMemory, "", {}});
    return ConversionOutcome::Failed;
  } catch (const std::exception&) {
    host_.ShowMessage(road->message, MessageIcon::Error, ConversionNotes{path, messages::kUnexpected, "", {}});
    return ConversionOutcome::Failed;
  }
  return Convert(path, *road, output);
}

}  // namespace tessaline
