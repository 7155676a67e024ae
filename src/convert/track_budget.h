#pragma once
// The points an output may hold, and its tracks reduced to fit them
// (track_reduction.h). Every road that writes points assembles its output
// as before and tells the budget, point by point, which piece of that text
// each point is. Once every point is known, Fit() takes the text of the
// dropped track points out; an output that fits is left byte for byte as it
// was. Waypoints (and runs of one point) are never dropped; they count
// against the budget.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/track_reduction.h"
#include "host/conversion_report.h"

namespace tessaline {

// The device and this program's reader take at most this many lines.
inline constexpr std::uint64_t kDeviceLineLimit = 32766;

// What the front end chose.
struct PointBudget {
  std::optional<std::uint64_t> points;  // the most points the output may hold; nullopt: no limit
  std::string decimal_mark = ".";       // of the largest error in the summary
  // An output over `points` is cut into files of at most `points` each
  // (split_parts.h) rather than thinned.
  bool split = false;

  // A device file's: the device's limit, unless the user chose another.
  static PointBudget ForDevice(std::optional<std::uint64_t> chosen, std::string decimal_mark = ".",
                               bool split = false) {
    return PointBudget{chosen ? chosen : std::optional<std::uint64_t>(kDeviceLineLimit), std::move(decimal_mark),
                       split};
  }
  // Whether an output of more than its points is cut into parts.
  bool Splits() const { return split && points.has_value(); }
};

// A coordinate's text as a number for the reduction ("read as a number");
// a text that holds none is no place on the Earth: NaN, and such a point is
// kept first.
double CoordinateOf(std::string_view text);

class TrackBudget {
 public:
  explicit TrackBudget(PointBudget budget)
      : budget_(std::move(budget)), recording_(budget_.points.has_value()) {}

  // An output that cannot hold more than `most` points (its input's size
  // allows no more) needs no reduction: nothing is recorded then, and the
  // road costs no memory for it.
  void ExpectAtMost(std::uint64_t most);

  // The next track points belong to a new track, which starts at `line`; a
  // route's when `route` (the report names it so).
  void StartTrack(std::uint64_t line, bool route = false);
  // A point of the current track at `line`; its text is text[begin, end) of
  // the text Fit() will be given. A `mark` (a named point of a route) is
  // kept as a waypoint is.
  void TrackPoint(std::size_t begin, std::size_t end, double lat, double lon, std::uint64_t line,
                  bool mark = false);
  // A point that is never dropped (a waypoint).
  void OtherPoint(std::uint64_t line);
  // A point of another file that the same budget bounds on its own (the
  // chart waypoint file beside the track file): never dropped, so more of
  // them than the budget fails in Fit.
  void PointOfOtherFile() { ++other_file_points_; }

  // Reduces the tracks when the points exceed the budget, taking the dropped
  // points out of `text`; throws ConversionFailure when even the waypoints
  // and two points a track do not fit. `pause` is called now and then while
  // the reduction works (the host's yield, which may stop it).
  void Fit(std::string& text, const ReductionPause& pause = {});

  // After Fit, for a device file: a warning at the first point kept past
  // the device's limit (a budget chosen above it), counting those past it.
  void WarnPastDeviceLimit(ConversionReport& report) const;

  // Whether a limit was chosen at all: without one Fit never changes anything.
  bool Limited() const { return budget_.points.has_value(); }
  // Whether the points told are kept for a reduction: when not, a road need
  // not read their coordinates.
  bool Recording() const { return recording_; }

  // After Fit: the summary counts the track points kept and says what was
  // read and how far the line moved; one warning names the first line of
  // the first reduced track.
  void Report(ConversionReport& report) const;

 private:
  PointBudget budget_;
  bool recording_;  // only an output that may exceed its budget keeps its points
  std::uint64_t points_ = 0, other_file_points_ = 0;
  std::uint64_t line_past_device_limit_ = 0;  // of the 32,767th point told
  std::vector<std::uint64_t> lines_;          // of every point told, while recording
  std::vector<GeoPoint> track_points_;
  std::vector<std::size_t> track_starts_;
  std::vector<std::uint64_t> track_lines_;
  std::vector<std::uint8_t> track_routes_;  // per track: 1 for a route
  std::vector<std::uint8_t> marks_;         // per track point: 1 for a named route point
  std::vector<std::pair<std::size_t, std::size_t>> pieces_;  // of the track points
  std::vector<std::uint8_t> kinds_;  // per point told: 1 track point, 0 other
  std::vector<std::uint8_t> keep_;   // per track point, after a reduction
  bool reduced_ = false;
  std::uint64_t dropped_ = 0;
  std::uint64_t reduced_runs_[2] = {0, 0}, kept_[2] = {0, 0}, first_line_[2] = {0, 0};  // tracks, routes
  double max_error_m_ = 0;

  // Where track t's points end in track_points_.
  std::size_t TrackEnd(std::size_t t) const {
    return t + 1 < track_starts_.size() ? track_starts_[t + 1] : track_points_.size();
  }
};

}  // namespace tessaline
