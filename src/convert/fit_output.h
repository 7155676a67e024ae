#pragma once
// The outputs of one conversion and every decision about how they are
// made, taken once: whether they go to their temporary files as they are
// made (nothing can be cut from them) or are gathered whole for a fit of
// their tracks to the points they may hold (track_budget.h), how much room
// their text asks for, and whether the points' coordinates need reading at
// all. A writer appends its text and tells which piece each point is; what
// follows from that is decided here.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "convert/streamed_output.h"
#include "convert/track_budget.h"
#include "formats/point_stream.h"
#include "host/conversion_report.h"
#include "host/file_system.h"

namespace tessaline {

struct FitPlan {
  std::vector<std::string> paths;  // the outputs, replaced together at the end
  std::size_t track_file = 0;      // the one whose track points a fit may cut
  std::uint64_t input_length = 0;
  // The least bytes of input a point takes: an input can hold no more than
  // its length / least_point_bytes + 1 points.
  std::uint64_t least_point_bytes = 1;
  // At most this many bytes of output for a byte of input, the room a
  // gathered output asks at once (growing a text of a hundred megabytes
  // step by step copies it again and again); 0: it grows as it goes.
  std::uint64_t growth = 0;
  bool gather = false;  // gathered even when nothing can be cut
  bool device_file = false;  // a device file: says where its lines past the device's limit begin
  std::uint32_t readers = 0777;  // the input's permission bits, which bound the outputs'
};

class FitOutput {
 public:
  FitOutput(FileSystem& files, PointBudget budget, FitPlan plan);

  // Whether the outputs are written as they are made.
  bool Streaming() const { return streaming_; }
  // Whether the points' coordinates are kept for a fit: when not, they need
  // not be read as numbers.
  bool NeedsCoordinates() const { return budget_.Recording(); }

  std::string& Text(std::size_t file) { return outputs_[file]->text; }
  // What a gathered output puts before its text once every point is known.
  std::string& Lead(std::size_t file) { return outputs_[file]->lead; }
  void Flow(std::size_t file) { outputs_[file]->Flow(); }

  // The next track points belong to a new track (a route's when `route`),
  // starting at `line`.
  void StartTrack(std::uint64_t line, bool route) { budget_.StartTrack(line, route); }
  // A track point whose text is Text(track_file)[begin, its end now); a
  // `mark` (a route's named point) is kept as a waypoint is.
  void TrackPoint(std::size_t begin, const StreamPoint& point, bool mark) {
    const bool read = budget_.Recording();
    budget_.TrackPoint(begin, Text(plan_.track_file).size(), read ? point.Lat() : 0.0, read ? point.Lon() : 0.0,
                       point.line, mark);
  }
  // A point no fit drops (a waypoint) in the file of the tracks.
  void OtherPoint(std::uint64_t line) { budget_.OtherPoint(line); }
  // A point no fit drops in another file, which the budget bounds on its own.
  void PointOfOtherFile() { budget_.PointOfOtherFile(); }

  // Once every point is written: the tracks fitted to the budget (`pause`
  // called now and then meanwhile) and the report told; a device file says
  // where its lines past the device's limit begin.
  void Fit(ConversionReport& report, const ReductionPause& pause);

  std::vector<StreamedOutput*> Outputs();
  // Where the outputs go, for a writer's own files beside them.
  FileSystem& Files() { return files_; }

 private:
  FileSystem& files_;
  FitPlan plan_;
  TrackBudget budget_;
  bool streaming_ = false;
  std::vector<std::unique_ptr<StreamedOutput>> outputs_;
};

}  // namespace tessaline
