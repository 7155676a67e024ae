#pragma once
// An output too long for the points one file may hold, cut into parts
// instead of thinned (--split): BASE-1.asc, BASE-2.asc... Every point read
// is in some part; each part holds at most the budget; a track that goes on
// into the next part starts it again with the last point of the part
// before, so that no leg is lost, and no part holds a lone point of a track
// that has more. The waypoints are all in the first part. PartCutter makes
// these choices, point by point; the roads write the parts.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/conversion_report.h"
#include "host/file_system.h"

namespace tessaline {

// The name of part `number` (from 1) of `output`: "-N" before the extension
// of its file name, or after a name without one ("trace.asc" -> "trace-2.asc").
std::string PartPath(const std::string& output, std::size_t number);

class PartCutter {
 public:
  // Where the next point goes.
  enum class Place {
    Here,            // in the current part
    NewPart,         // first in a new part
    NewPartOverlap,  // in a new part, after the point before it written again
  };

  // `budget`: the points a part may hold; `waypoints`: those the first part
  // holds before any track (throws ConversionFailure when they exceed it).
  PartCutter(std::uint64_t budget, std::uint64_t waypoints);

  // A point of a track (or route); `first` of its track. Throws
  // ConversionFailure when the budget cannot hold two points of a track.
  Place TrackPoint(bool first);

  std::size_t Parts() const { return parts_; }
  // How many points were written twice, each at the start of a part, and as
  // many tracks were written in more than one piece: the summary counts them once.
  std::uint64_t Overlaps() const { return overlaps_; }

 private:
  std::uint64_t budget_, count_;
  std::size_t parts_ = 1;
  std::uint64_t overlaps_ = 0;
};

// The end of a split: the summary names the parts, and parts of an earlier
// split past the new ones (BASE-4.asc after three) are named in a warning
// (of the file as a whole: its line 1), left as they are. `parts` is how many were written: 0 when
// the output fitted whole and was written as `output` itself.
void ReportParts(FileSystem& files, const std::string& output, std::size_t parts, ConversionReport& report);

}  // namespace tessaline
