#pragma once
// What a GPX conversion has to tell besides success or failure: things it
// skipped or changed (once per kind, with the first line concerned and how
// many times), and the summary of what went through. Plain data, so that any
// front end can show it in its own way.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaline::gpx {

enum class NoteKind {
  PointSkipped,        // latitude or longitude missing, not a number or out of range
  LineSkipped,         // a device or chart line that holds no usable point
  CharacterReplaced,   // a character the 8-bit target cannot hold became "?"
  SeparatorReplaced,   // a separator, double quote or line break became a space
  ControlDropped,      // a control character XML cannot hold was left out
  OnePointTrack,       // a track or route of one point reads back as a waypoint
  TooManyLines,        // past 32,766 lines the device file cannot be read back
};
inline constexpr std::size_t kNoteKinds = 7;

struct Note {
  NoteKind kind;
  std::string text;          // French, without line or count
  std::uint64_t first_line;  // 0: no line to name
  std::uint64_t count;
};

// Collects notes, one per kind: the first line it happened at and the count.
class NoteLog {
 public:
  void Add(NoteKind kind, std::uint64_t line, std::uint64_t times = 1);
  // In the order the kinds first happened.
  std::vector<Note> Notes() const;
  std::uint64_t CountOf(NoteKind kind) const { return entries_[Index(kind)].count; }

 private:
  static std::size_t Index(NoteKind kind) { return static_cast<std::size_t>(kind); }
  struct Entry {
    std::uint64_t first_line = 0;
    std::uint64_t count = 0;
    std::uint64_t order = 0;
  };
  std::array<Entry, kNoteKinds> entries_{};
  std::uint64_t next_order_ = 0;
};

std::string NoteText(NoteKind kind);

// "<T> trace(s) (<P> points), <W> waypoint(s)".
struct Summary {
  std::uint64_t tracks = 0;
  std::uint64_t track_points = 0;
  std::uint64_t waypoints = 0;
};
std::string SummaryText(const Summary& summary);

}  // namespace tessaline::gpx
