// Chart track or waypoint file -> GPX: a T line and its P lines are one
// track, each W line a waypoint.

#include "convert/gpx/gpx_assembly.h"
#include "convert/gpx/gpx_conversions.h"
#include "convert/gpx/gpx_job.h"
#include "formats/chart_line_reader.h"
#include "formats/chart_line_writer.h"
#include "formats/line_reader.h"

namespace tessaline::gpx {

ConversionOutcome ConvertChartToGpx(Host& host, const std::string& path, const PointBudget& budget) {
  GpxJob job(host, path);
  return job.Run([&] {
    const std::string output_path = GpxOutputPath(path);
    job.Begin({output_path});
    auto input = job.OpenInput();
    GpxAssembly assembly(job.report, budget);
    assembly.Reserve(job.InputLength());
    LineReader reader(*input);
    std::string_view text;
    std::uint64_t line_number = 0;
    std::string track_name;
    bool in_track = false, track_started = false;
    EightBitPoint point;
    const bool keep = assembly.Recording();  // the coordinates, for a reduction
    while (reader.Next(text)) {
      ++line_number;
      job.ShowProgress(reader.BytesConsumed());
      job.YieldOrStop();
      const ChartLineKind kind = KindOfChartLine(text);
      if (kind == ChartLineKind::Other) continue;
      const ChartLine line(text);
      if (kind == ChartLineKind::TrackHeader) {
        // A track without points is left out, as reading GPX skips one.
        assembly.EndTrack();
        track_name.assign(line.Field(1));
        in_track = true;
        track_started = false;
        continue;
      }
      const bool waypoint = kind == ChartLineKind::Waypoint;
      // Coord1, Coord2, Value: fields 2, 1, 3 of a P line, 4, 3, 5 of a W line.
      const std::size_t first = waypoint ? 3 : 1;
      if ((!waypoint && !in_track) || !line.Has(first + 2)) {
        job.report.Warn(messages::kGpxLineSkipped, line_number);
        continue;
      }
      if (!GpxCoordinate(line.Field(first + 1), true, point.lat, keep ? &point.lat_value : nullptr) ||
          !GpxCoordinate(line.Field(first), false, point.lon, keep ? &point.lon_value : nullptr)) {
        job.report.Warn(messages::kGpxPointSkipped, line_number);
        continue;
      }
      point.value.assign(line.Field(first + 2));
      point.line = line_number;
      if (waypoint) {
        point.name.assign(line.Field(1));
        point.fields.assign(WaypointFieldTwo(text));
        point.fields.append(WaypointFieldsFromEight(text));
        point.has_fields = point.fields != kWaypointDisplayFields;
        assembly.Waypoint(point);
        point.fields.clear();
        point.has_fields = false;
        continue;
      }
      if (!track_started) {
        assembly.StartTrack(track_name, line_number);
        track_started = true;
      }
      point.name = track_name;
      assembly.TrackPoint(point);
    }
    if (reader.Failed()) throw ConversionFailure::FileOperation(path, host.Files());
    job.Finish({{output_path, assembly.Parts()}});
  });
}

}  // namespace tessaline::gpx
