// Chart track or waypoint file -> GPX: a T line and its P lines are one
// track, each W line a waypoint.

#include "convert/gpx/gpx_assembly.h"
#include "convert/gpx/gpx_conversions.h"
#include "convert/gpx/gpx_job.h"
#include "convert/input_text.h"
#include "formats/chart_line_reader.h"
#include "formats/chart_line_writer.h"

namespace tessaline::gpx {

namespace {

// Reads every line of the input into `assembly`. False when the assembly
// refused a waypoint (one after a track, while streaming): nothing more is
// read then.
bool ReadChartLines(GpxJob& job, InputStream& input, GpxAssembly& assembly, FileSystem& files,
                    const std::string& path) {
  InputText reader(input, path, files, false, &job.report);
  std::string_view text;
  std::uint64_t line_number = 0, points = 0, silent_lines = 0, first_silent_line = 0;
  std::string track_name;
  bool in_track = false, track_started = false;
  bool name_is_track = false;  // point.name holds track_name
  EightBitPoint point;
  const bool keep = assembly.Recording();  // the coordinates, for a reduction
  while (reader.Next(text)) {
    ++line_number;
    job.ShowProgress(reader.InputOffset());
    job.YieldOrStop();
    const ChartLineKind kind = KindOfChartLine(text);
    if (kind == ChartLineKind::Other) {
      if (silent_lines++ == 0) first_silent_line = line_number;
      continue;
    }
    // A P line gives fields 1 to 3; the split stops there.
    const ChartLine line = kind == ChartLineKind::TrackPoint ? ChartLine::UpToField(text, 3) : ChartLine(text);
    if (kind == ChartLineKind::TrackHeader) {
      // A track without points is left out, as reading GPX skips one.
      assembly.EndTrack();
      track_name.assign(line.Field(1));
      name_is_track = false;
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
    ++points;
    if (waypoint) {
      point.name.assign(line.Field(1));
      name_is_track = false;
      point.fields.assign(WaypointFieldTwo(text));
      point.fields.append(WaypointFieldsFromEight(text));
      point.has_fields = point.fields != kWaypointDisplayFields;
      if (!assembly.Waypoint(point)) return false;
      point.fields.clear();
      point.has_fields = false;
      continue;
    }
    if (!track_started) {
      assembly.StartTrack(track_name, line_number);
      track_started = true;
    }
    if (!name_is_track) {  // a track's points share its name: copied once
      point.name = track_name;
      name_is_track = true;
    }
    assembly.TrackPoint(point);
  }
  // Every other line that gave nothing is warned of already.
  if (points == 0) job.report.Warn(messages::kGpxLineSkipped, first_silent_line, silent_lines);
  return true;
}

}  // namespace

ConversionOutcome ConvertChartToGpx(Host& host, const std::string& path, const PointBudget& budget) {
  GpxJob job(host, path);
  return job.Run([&] {
    const std::string output_path = GpxOutputPath(path);
    job.Begin({output_path});
    {
      // A document no reduction can cut goes to its file as it is made, so
      // that memory does not grow with the input.
      GpxAssembly assembly(job.report, budget);
      assembly.ExpectInput(job.InputLength());
      if (!assembly.Recording()) {
        StreamedOutput output(host.Files(), output_path, true, job.InputReaders());
        assembly.StreamTo(output);
        if (ReadChartLines(job, *job.OpenInput(), assembly, host.Files(), path)) {
          assembly.EndStream();
          job.FinishStreamed({&output});
          return;
        }
      }
    }
    // A file with a waypoint after a track (track and waypoint files are
    // apart as the chart program writes them) is read again, gathered
    // whole, and told as if read once: what the first reading noted goes.
    job.report = ConversionReport(path);
    GpxAssembly assembly(job.report, budget);
    assembly.ExpectInput(job.InputLength());
    ReadChartLines(job, *job.OpenInput(), assembly, host.Files(), path);
    job.Finish({{output_path, assembly.Parts([&host] { YieldOrStop(host); })}});
  });
}

}  // namespace tessaline::gpx
