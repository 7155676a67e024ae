// The GPX reader on the fuzzer's bytes, in memory. Whatever they are, it
// finishes or refuses with a reason naming line and column; the points it
// gives are in range. What it finished reading is written again with the
// GPX writer and read back: the same runs, places, names and values.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "formats/gpx/gpx_reader.h"
#include "formats/gpx/gpx_writer.h"
#include "fuzz_support.h"

namespace {

using namespace tessaline;
using namespace tessaline::gpx;
using namespace tessaline::fuzz;

class MemoryStream final : public InputStream {
 public:
  explicit MemoryStream(std::string_view data) : data_(data) {}
  std::ptrdiff_t Read(char* buffer, std::size_t size) override {
    // Small and uneven pieces: token limits must not depend on block edges.
    const std::size_t n = std::min({size, data_.size(), std::size_t{4093}});
    std::memcpy(buffer, data_.data(), n);
    data_.remove_prefix(n);
    return static_cast<std::ptrdiff_t>(n);
  }

 private:
  std::string_view data_;
};

struct Run {
  RunKind kind;
  std::string name;
  std::vector<std::string> points;  // lat, lon, name and value, one text each
};

class Collect final : public GpxSink {
 public:
  void BeginRun(RunKind kind, std::string_view name) override { runs.push_back({kind, std::string(name), {}}); }
  bool Point(const GpxPoint& point) override {
    Check(LatitudeInRange(point.Lat()) && LongitudeInRange(point.Lon()), "a point out of range");
    Check(point.name.size() <= kMaxToken && point.value.size() <= kMaxToken, "a text over the limit");
    std::string text = CoordinateFromGpx(point.lat_text) + "|" +
                       CoordinateFromGpx(point.lon_text) + "|" + std::string(point.name) + "|";
    // "-9999" is "no value": it comes back as the kind's default.
    if (point.value != kNoValue) text += point.value;
    if (point.has_fields) text += "|" + std::string(point.fields);
    runs.back().points.push_back(text);
    return true;
  }
  void EndRun(RunKind kind, std::uint64_t points) override {
    Check(!runs.empty() && runs.back().kind == kind && runs.back().points.size() == points, "runs out of step");
  }
  void PointSkipped(std::uint64_t) override { ++skipped; }
  std::vector<Run> runs;
  std::uint64_t skipped = 0;
};

std::string Rewrite(std::string_view data) {
  // Read once more to get the texts the writer needs as they were.
  struct Writer final : GpxSink {
    std::string waypoints, tracks, lat, lon, name, value;
    bool in_track = false;
    GpxWriter writer;
    RunKind kind = RunKind::Waypoint;
    void BeginRun(RunKind k, std::string_view run_name) override {
      kind = k;
      if (k != RunKind::Waypoint) writer.AppendTrackStart(tracks, run_name);
    }
    bool Point(const GpxPoint& p) override {
      lat = CoordinateFromGpx(p.lat_text);
      lon = CoordinateFromGpx(p.lon_text);
      GpxOutPoint out;
      out.lat = lat;
      out.lon = lon;
      out.name = p.name;
      out.value = p.value;
      out.fields = p.fields;
      out.has_fields = p.has_fields;
      if (kind == RunKind::Waypoint) {
        writer.AppendWaypoint(waypoints, out);
      } else {
        writer.AppendTrackPoint(tracks, out);
      }
      return true;
    }
    void EndRun(RunKind k, std::uint64_t) override {
      if (k != RunKind::Waypoint) GpxWriter::AppendTrackEnd(tracks);
    }
    void PointSkipped(std::uint64_t) override {}
  } writer;
  MemoryStream stream(data);
  Check(ReadGpx(stream, writer).end == GpxReadEnd::Finished, "a second reading differs");
  std::string document;
  GpxWriter::AppendHead(document, "fuzz");
  document += writer.waypoints;
  document += writer.tracks;
  GpxWriter::AppendTail(document);
  return document;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  MemoryStream stream(bytes);
  Collect first;
  const GpxReadResult result = ReadGpx(stream, first);
  Check(result.end == GpxReadEnd::Finished || result.end == GpxReadEnd::Refused, "neither read nor refused");
  if (result.end == GpxReadEnd::Refused) {
    Check(result.reason.rfind("ligne ", 0) == 0 && result.reason.find(", colonne ") != std::string::npos,
          "a refusal without line and column", result.reason);
    return 0;
  }

  const std::string written = Rewrite(bytes);
  MemoryStream again(written);
  Collect second;
  Check(ReadGpx(again, second).end == GpxReadEnd::Finished, "our own GPX was refused", written);
  Check(second.skipped == 0, "our own GPX had points skipped", written);
  // Waypoints first, then tracks and routes (as tracks), each in order.
  std::vector<Run> expected;
  for (const Run& run : first.runs) {
    if (run.kind == RunKind::Waypoint) expected.push_back(run);
  }
  for (const Run& run : first.runs) {
    if (run.kind != RunKind::Waypoint) expected.push_back(run);
  }
  Check(second.runs.size() == expected.size(), "runs lost or added", written);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    Check(second.runs[i].name == expected[i].name, "a run's name changed", written);
    Check(second.runs[i].points == expected[i].points, "a point changed", written);
  }
  return 0;
}
