#pragma once
// What the GPX reading and writing could not keep as it was: plain data
// (kind, first line, count), once per kind, in the order first met. The
// converters turn them into their report's warnings.

#include <array>
#include <cstdint>
#include <vector>

namespace tessaline::gpx {

enum class NoteKind {
  PointSkipped,        // latitude or longitude missing, not a number or out of range
  LineSkipped,         // a device or chart line that holds no usable point
  CharacterReplaced,   // a character the 8-bit target cannot hold became "?"
  SeparatorReplaced,   // a separator, double quote or line break became a space
  ControlDropped,      // a character XML cannot hold was left out
  OnePointTrack,       // a track or route of one point reads back as a waypoint
  TooManyLines,        // a device line past the 32,766th
};
inline constexpr std::size_t kNoteKinds = 7;

struct Note {
  NoteKind kind;
  std::uint64_t first_line;  // 1-based
  std::uint64_t count;
};

class NoteLog {
 public:
  void Add(NoteKind kind, std::uint64_t line, std::uint64_t times = 1);
  std::vector<Note> Notes() const;

 private:
  struct Entry {
    std::uint64_t first_line = 0;
    std::uint64_t count = 0;
    std::uint64_t order = 0;
  };
  std::array<Entry, kNoteKinds> entries_{};
  std::uint64_t next_order_ = 0;
};

// What went through: tracks (and their points) and waypoints.
struct Summary {
  std::uint64_t tracks = 0;
  std::uint64_t track_points = 0;
  std::uint64_t waypoints = 0;
};

}  // namespace tessaline::gpx
