#pragma once
// The one stream of points between a file that is read and the files that
// are written: a reader of each format tells a sink its runs (a waypoint, a
// track or a route, each with its name) and their points, in file order;
// a writer of each format is such a sink. Everything a point carries is
// valid only during the call that hands it over. Runs follow each other,
// except that a file which interleaves them (a chart file) may give a
// waypoint between the points of a track: the track goes on after it.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessaline {

enum class RunKind { Waypoint, Track, Route };

// How the texts of a stream are encoded: the device and chart files hold
// 8-bit text (formats/gpx/eight_bit_text.h), GPX holds UTF-8. A writer turns
// them into its own format's encoding.
enum class TextForm { EightBit, Utf8 };

// A moment in UTC, to the digits of a second's fraction it was given with.
struct PointTime {
  std::int64_t seconds = 0;        // since 1970-01-01T00:00:00Z
  std::uint32_t nanoseconds = 0;   // the fraction, 0 to 999,999,999
  std::uint8_t digits = 0;         // of the fraction as given, 0 to 9
};

// What became of a point's time as it was read.
enum class TimeNote : std::uint8_t {
  None,        // none given, or read as it stands
  NoZone,      // given without a zone: taken as UTC
  Unreadable,  // given, but no date and time: left out
};

struct StreamPoint {
  // As written (a plain decimal in range), for an exact copy.
  std::string_view lat_text, lon_text;
  // The numbers, read only when a fit needs them: the reader's own reading
  // when it made one (has_numbers), else the texts read as decimals.
  double lat_number = 0, lon_number = 0;
  bool has_numbers = false;
  double Lat() const;
  double Lon() const;

  std::string_view name;   // its own, else its run's (GPX), else none
  bool own_name = true;    // false: the name is its run's
  bool named = false;      // a name of its own that is not blank (a route's mark)
  std::string_view value;  // the Value the device and chart files carry
  bool own_value = true;   // false: only its kind's default (no Value given)
  std::optional<std::string_view> elevation;  // GPX <ele>, as written
  std::optional<PointTime> time;
  TimeNote time_note = TimeNote::None;
  std::string_view fields;  // a chart W line's other fields (formats/gpx/gpx_model.h)
  bool has_fields = false;  // false: the usual ones
  std::uint64_t line = 0;    // where the point starts in its file
  std::uint64_t offset = 0;  // bytes of the file read up to its end, for progress
};

// A sink may throw (a stop request, memory exhausted, a failure): the
// reading ends and the exception goes on to the reader's caller.
class PointSink {
 public:
  virtual ~PointSink() = default;
  // A run's first point follows. `name` is the run's own, "" when none.
  virtual void BeginRun(RunKind kind, std::string_view name) = 0;
  // False stops the reading.
  virtual bool Point(const StreamPoint& point) = 0;
  // After the last point of a run that had any.
  virtual void EndRun(RunKind kind, std::uint64_t points) = 0;
  // A point left out by the reader's rules (no usable coordinates); `line`
  // is where it starts.
  virtual void PointSkipped(std::uint64_t line) = 0;
  // An element of the file the stream does not carry (a GPX <desc>, a
  // foreign extension...), by its local name, at `line`.
  virtual void NotCarried(std::string_view element, std::uint64_t line) {
    static_cast<void>(element);
    static_cast<void>(line);
  }
};

// One more sink of a road beside its writer: the points of its input as
// they were read, before any fit, then those of its outputs as they were
// written. A picture of what is sent is such a sink; what it was told of a
// road that did not complete means nothing.
class SecondSink {
 public:
  virtual ~SecondSink() = default;
  // Where the points read go; `form`: their texts'. The roads of the
  // stream tell it as they read, before they know how they end; asked
  // again when a road reads its input again from its start, what it was
  // told before goes.
  virtual PointSink& Read(TextForm form) = 0;
  // Where the points written go, every output in turn.
  virtual PointSink& Written(TextForm form) = 0;
};

}  // namespace tessaline
