// Device point file -> GPX: runs of equal Group of several points are
// tracks, runs of one point waypoints, as the device-to-chart converter
// cuts them.

#include <optional>

#include "convert/gpx/gpx_assembly.h"
#include "convert/gpx/gpx_conversions.h"
#include "convert/gpx/gpx_job.h"
#include "convert/input_text.h"
#include "formats/device_point_line.h"
#include "formats/number_reader.h"

namespace tessaline::gpx {

namespace {

class DeviceRuns {
 public:
  explicit DeviceRuns(GpxAssembly& assembly) : assembly_(assembly) {}

  void Add(EightBitPoint&& point, double group) {
    if (length_ > 0 && group == group_) {
      if (length_ == 1) {
        assembly_.StartTrack(TrimSpaces(first_.name), first_.line);
        assembly_.TrackPoint(first_);
      }
      assembly_.TrackPoint(point);
      ++length_;
      return;
    }
    End();
    first_ = std::move(point);
    group_ = group;
    length_ = 1;
  }

  void End() {
    if (length_ == 1) assembly_.Waypoint(first_);
    assembly_.EndTrack();
    length_ = 0;
  }

 private:
  GpxAssembly& assembly_;
  EightBitPoint first_;
  double group_ = 0;
  std::uint64_t length_ = 0;
};

}  // namespace

ConversionOutcome ConvertDeviceToGpx(Host& host, const std::string& path, const PointBudget& budget) {
  GpxJob job(host, path);
  return job.Run([&] {
    const std::string output_path = GpxOutputPath(path);
    job.Begin({output_path});
    auto input = job.OpenInput();
    GpxAssembly assembly(job.report, budget);
    assembly.ExpectInput(job.InputLength());
    DeviceRuns runs(assembly);
    InputText reader(*input, path, host.Files(), false, &job.report);
    std::string_view line;
    std::uint64_t line_number = 0, points = 0, empty_lines = 0, first_empty_line = 0;
    EightBitPoint point;
    const bool keep = assembly.Recording();  // the coordinates, for a reduction
    while (reader.Next(line)) {
      ++line_number;
      job.ShowProgress(reader.InputOffset());
      job.YieldOrStop();
      DevicePointFields fields;
      if (line.empty()) {
        if (empty_lines++ == 0) first_empty_line = line_number;
        continue;
      }
      const std::optional<double> group =
          ReadDevicePointLine(line, fields) == DeviceLineProblem::None ? ReadAsNumber(TrimSpaces(fields.group))
                                                                         : std::nullopt;
      if (!group) {
        job.report.Warn(messages::kGpxLineSkipped, line_number);
        continue;
      }
      if (!GpxCoordinate(fields.coord1, true, point.lat, keep ? &point.lat_value : nullptr) ||
          !GpxCoordinate(fields.coord2, false, point.lon, keep ? &point.lon_value : nullptr)) {
        job.report.Warn(messages::kGpxPointSkipped, line_number);
        continue;
      }
      point.name.assign(fields.name);
      point.value.assign(fields.value);
      point.line = line_number;
      runs.Add(std::move(point), *group);
      point = EightBitPoint();
      ++points;
    }
    // Every other line that gave nothing is warned of already.
    if (points == 0) job.report.Warn(messages::kGpxLineSkipped, first_empty_line, empty_lines);
    runs.End();
    job.Finish({{output_path, assembly.Parts([&host] { YieldOrStop(host); })}});
  });
}

}  // namespace tessaline::gpx
