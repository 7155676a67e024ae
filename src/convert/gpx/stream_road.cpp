#include "convert/gpx/stream_road.h"

#include <optional>

#include "convert/fit_output.h"
#include "convert/split_parts.h"
#include "convert/gpx/gpx_conversions.h"
#include "convert/gpx/gpx_job.h"
#include "convert/gpx/stream_readers.h"
#include "convert/gpx/stream_split.h"
#include "convert/gpx/stream_writers.h"
#include "formats/gpx/gpx_model.h"
#include "platform/path_names.h"

namespace tessaline::gpx {

namespace {

struct ReaderTraits {
  const char* message;  // a failure's
  TextForm form;
  std::uint64_t least_point_bytes;  // of the shortest point
  bool interleaves_waypoints;       // waypoints come between tracks as often as not
  bool (*read)(GpxJob&, InputStream&, PointSink&, bool numbers, bool eight_bit);
};

struct WriterTraits {
  std::uint64_t growth;  // bytes of output for a byte of input at most, or 0
  bool waypoints_first;  // every waypoint before the first track
  bool device_file;
  std::unique_ptr<StreamWriter> (*make)(const WriterContext&);
};

bool ReadGpxInput(GpxJob& job, InputStream& input, PointSink& sink, bool, bool) {
  return ReadGpxFile(job, input, sink);
}

bool ReadKmlInput(GpxJob& job, InputStream& input, PointSink& sink, bool, bool) {
  return ReadKmlFile(job, input, sink);
}

const ReaderTraits& ReaderOf(Format format) {
  // A point line takes six bytes at least; the shortest GPX point,
  // <wpt lat="0" lon="0"/>, takes kLeastGpxPointBytes.
  static const ReaderTraits device{messages::kDeviceToChartError, TextForm::EightBit, 6, true, &ReadDeviceFile};
  static const ReaderTraits chart{messages::kChartToDeviceError, TextForm::EightBit, 6, false, &ReadChartFile};
  static const ReaderTraits gpx{messages::kGpxError, TextForm::Utf8, kLeastGpxPointBytes, false, &ReadGpxInput};
  // A log's waypoints mostly come before its fixes, as a plotter sends them.
  static const ReaderTraits nmea{messages::kNmeaError, TextForm::Utf8, kLeastNmeaPointBytes, false, &ReadNmeaFile};
  if (format == Format::Nmea) return nmea;
  // The shortest KML point is a tuple "0,0" and a blank.
  static const ReaderTraits kml{messages::kKmlError, TextForm::Utf8, 4, false, &ReadKmlInput};
  if (format == Format::Kml || format == Format::Kmz) return kml;  // the KML reader reads both
  return format == Format::Device ? device : format == Format::Chart ? chart : gpx;
}

const WriterTraits& WriterOf(Format format) {
  // A point becomes at most about twice its bytes of GPX (tags around
  // shorter texts); a device line is shorter than anything it comes from.
  static const WriterTraits device{1, false, true, &MakeDeviceWriter};
  static const WriterTraits chart{0, false, false, &MakeChartWriter};
  static const WriterTraits gpx{2, true, false, &MakeGpxWriter};
  // A KML point's record takes about as much as its GPX.
  static const WriterTraits kml{2, false, false, &MakeKmlWriter};
  static const WriterTraits kmz{2, false, false, &MakeKmzWriter};
  if (format == Format::Kml) return kml;
  if (format == Format::Kmz) return kmz;
  return format == Format::Device ? device : format == Format::Chart ? chart : gpx;
}

// The writer, and beside it the second sink's read side: what was read,
// before the fit, without reading the input a second time.
class ReadAndTell final : public PointSink {
 public:
  ReadAndTell(PointSink& writer, PointSink& second) : writer_(writer), second_(second) {}
  void BeginRun(RunKind kind, std::string_view name) override {
    writer_.BeginRun(kind, name);
    second_.BeginRun(kind, name);
  }
  bool Point(const StreamPoint& point) override {
    if (!point.has_numbers) {
      // Both read the coordinates: read once, for both. A text that does
      // not read stays as it came, for each to judge.
      const std::optional<double> lat = ReadGpxDecimal(point.lat_text), lon = ReadGpxDecimal(point.lon_text);
      if (lat && lon) {
        StreamPoint read = point;
        read.lat_number = *lat;
        read.lon_number = *lon;
        read.has_numbers = true;
        second_.Point(read);
        return writer_.Point(read);
      }
    }
    second_.Point(point);
    return writer_.Point(point);
  }
  void EndRun(RunKind kind, std::uint64_t points) override {
    writer_.EndRun(kind, points);
    second_.EndRun(kind, points);
  }
  void PointSkipped(std::uint64_t line) override {
    writer_.PointSkipped(line);
    second_.PointSkipped(line);
  }
  void NotCarried(std::string_view element, std::uint64_t line) override { writer_.NotCarried(element, line); }

 private:
  PointSink& writer_;
  PointSink& second_;
};

}  // namespace

ConversionOutcome ConvertStream(Host& host, const std::string& path, const StreamRoad& road,
                                const StreamServices& services) {
  const ReaderTraits& reader = ReaderOf(road.from);
  GpxJob job(host, path, road.message != nullptr ? road.message : reader.message);
  job.log_day = road.log_day;
  return job.Run([&] {
    job.Begin(road.outputs, road.over_input);
    const WriterTraits& writer = WriterOf(road.to);
    const PointBudget& budget = services.budget;
    // Cut into parts only what may hold more points than one file takes.
    if (budget.Splits() && road.outputs.size() == 1 &&
        job.InputLength() / reader.least_point_bytes + 1 > *budget.points) {
      const PartedRoad parted{road.outputs.front(), reader.read, road.to != Format::Gpx, writer.make,
                              FitPlan{{}, 0, job.InputLength(), reader.least_point_bytes, writer.growth, false,
                                      writer.device_file, job.InputReaders()},
                              reader.form, services.regional, services.clock};
      if (ConvertStreamInParts(job, parted, *budget.points, services.parts)) return;
    }
    // An output that must put every waypoint first streams only from files
    // that seldom give one after a track.
    bool gather = writer.waypoints_first && reader.interleaves_waypoints;
    for (;;) {
      FitOutput output(host.Files(), services.budget,
                       FitPlan{road.outputs, 0, job.InputLength(), reader.least_point_bytes, writer.growth, gather,
                               writer.device_file, job.InputReaders()});
      const auto sink =
          writer.make(WriterContext{job.report, output, reader.form, services.regional, services.clock});
      std::optional<ReadAndTell> told;
      if (services.second != nullptr) told.emplace(*sink, services.second->Read(reader.form));
      const bool whole = reader.read(job, *job.OpenInput(), told ? static_cast<PointSink&>(*told) : *sink,
                                     output.NeedsCoordinates(), road.to != Format::Gpx);
      if (!whole && sink->WantsGathering() && !gather) {
        // A waypoint after a track, while streaming: the file is read
        // again, gathered whole, and told as if read once: what the first
        // reading noted goes.
        job.report = ConversionReport(path);
        gather = true;
        continue;
      }
      sink->End();
      output.Fit(job.report, [&host] { YieldOrStop(host); });
      sink->Fitted();
      if (budget.Splits()) ReportParts(host.Files(), road.outputs.front(), 0, job.report);
      job.FinishStreamed(output.Outputs());
      return;
    }
  });
}

void FeedSecondSink(Host& host, const std::string& path, const StreamRoad& road, SecondSink& second,
                    bool input_told) {
  GpxJob job(host, path);
  job.Replaying();
  job.log_day = road.log_day;
  auto feed = [&](Format format, const std::string& file, PointSink& sink) {
    try {
      auto input = host.Files().OpenRead(file);
      if (input) ReaderOf(format).read(job, **input, sink, true, false);
    } catch (const ConversionFailure&) {
      // Read again after the conversion: what changed meanwhile is not its.
    }
  };
  if (!input_told) feed(road.from, path, second.Read(ReaderOf(road.from).form));
  PointSink& written = second.Written(ReaderOf(road.to).form);
  for (const std::string& output : road.outputs) feed(road.to, output, written);
}

std::string GpxOutputPath(const std::string& input_path) { return BaseName(input_path) + ".gpx"; }

ConversionOutcome ConvertGpxToDevice(Host& host, const std::string& path, const PointBudget& budget) {
  return ConvertStream(host, path, {Format::Gpx, Format::Device, {GpxBaseName(path) + ".asc"}, nullptr},
                       {nullptr, nullptr, budget});
}

ConversionOutcome ConvertGpxToChart(Host& host, const std::string& path, const RegionalSettings& regional,
                                    Clock& clock, const PointBudget& budget) {
  const std::string base = GpxBaseName(path);
  return ConvertStream(host, path, {Format::Gpx, Format::Chart, {base + "_TRK.txt", base + "_WPT.txt"}, nullptr},
                       {&regional, &clock, budget});
}

ConversionOutcome ConvertDeviceToGpx(Host& host, const std::string& path, const PointBudget& budget) {
  return ConvertStream(host, path, {Format::Device, Format::Gpx, {GpxOutputPath(path)}, nullptr},
                       {nullptr, nullptr, budget});
}

ConversionOutcome ConvertChartToGpx(Host& host, const std::string& path, const PointBudget& budget) {
  return ConvertStream(host, path, {Format::Chart, Format::Gpx, {GpxOutputPath(path)}, nullptr},
                       {nullptr, nullptr, budget});
}

}  // namespace tessaline::gpx
