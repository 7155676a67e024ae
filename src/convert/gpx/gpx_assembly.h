#pragma once
// The GPX document built from a device or chart file: waypoints and tracks
// gathered apart (GPX wants every waypoint first), every text turned from
// 8-bit into UTF-8 (so the document is always well-formed), what had to
// change noted against the input's line.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/streamed_output.h"
#include "convert/track_budget.h"
#include "host/conversion_report.h"
#include "formats/gpx/gpx_writer.h"

namespace tessaline::gpx {

// A point as the 8-bit files hold it; lat and lon already checked.
struct EightBitPoint {
  std::string lat, lon;
  double lat_value = 0, lon_value = 0;  // what they read as, while the assembly is Recording()
  std::string name;   // 8-bit
  std::string value;  // as written, 8-bit
  std::string fields;  // a W line's other fields, 8-bit (gpx_model.h)
  bool has_fields = false;  // false: the usual ones, not written
  std::uint64_t line = 0;
};

class GpxAssembly {
 public:
  GpxAssembly(ConversionReport& report, PointBudget budget) : report_(report), budget_(std::move(budget)) {}

  // Instead of gathering the document, writes it to `output` as it is made
  // (a document no reduction can cut: !Recording()). GPX wants every
  // waypoint before the first track: a waypoint that comes after one is
  // refused then (Waypoint returns false), and the road starts again
  // gathering. `output` must outlive this object.
  void StreamTo(StreamedOutput& output);
  // The end of a streamed document: the tracks are closed, the report told
  // and the tail written; `output` is then ready for GpxJob::FinishStreamed.
  void EndStream();

  // Readies the assembly for an input of `input_length` bytes. The budget
  // learns how many points such an input can hold at most (a point line
  // takes six bytes at least): when no more than the budget, nothing is
  // recorded from then on (Recording() false) and the road may stream.
  // Room for the gathered GPX is asked once: growing a text of a hundred
  // megabytes step by step copies it again and again; only the pages
  // written are ever used.
  void ExpectInput(std::uint64_t input_length);

  // Whether the points' coordinates are kept for a reduction: when not,
  // their values need not be read.
  bool Recording() const { return budget_.Recording(); }

  // False only while streaming, for a waypoint after a track (see StreamTo).
  bool Waypoint(const EightBitPoint& point);
  // A track begins; `name` is 8-bit.
  void StartTrack(std::string_view name, std::uint64_t line);
  void TrackPoint(const EightBitPoint& point);
  void EndTrack();

  // The whole document in parts, valid while this object lives: head,
  // waypoints, tracks, tail (not copied into one text: it may be large).
  // The tracks are first fitted to the budget, and the report told.
  std::vector<std::string_view> Parts(const ReductionPause& pause = {});

 private:
  GpxOutPoint Out(const EightBitPoint& point);
  void NoteDropped(std::uint64_t line);
  // Where the tracks go: the streamed output's text, or tracks_.
  std::string& TrackText();
  void Flow();

  ConversionReport& report_;
  TrackBudget budget_;
  GpxWriter writer_;
  std::string head_, waypoints_, tracks_, tail_;
  std::string name_, value_, fields_;  // room for the UTF-8 of texts that need a change
  std::uint64_t dropped_ = 0;
  bool in_track_ = false;
  StreamedOutput* stream_ = nullptr;
  bool tracks_streamed_ = false;  // a track went to stream_ already
};

}  // namespace tessaline::gpx
