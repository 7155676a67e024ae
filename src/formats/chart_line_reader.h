#pragma once
// A line of a chart track or waypoint file taken apart at its ";".
//
// Field 0 is the text before the first ";" (the line's kind), field n the
// text after the nth ";". Reading the line as if it were wrapped in ";" on
// both sides, one position past the last field reads as an empty text while
// positions further out do not exist: a line "P;a;b" has fields 0 to 2 and
// an empty field 3, but no field 4. The readers take what they need from
// fields 0 to 5 only, so the split stops there and keeps views into the line
// (nothing is copied or allocated).

#include <array>
#include <cassert>
#include <cstddef>
#include <string_view>

namespace tessaline {

enum class ChartLineKind {
  TrackHeader,  // field 0 is exactly "T"
  TrackPoint,   // field 0 is exactly "P"
  Waypoint,     // field 0 is exactly "W"
  Other,        // anything else, the empty line included
};

// The kind from field 0 alone, without splitting the rest of the line.
inline ChartLineKind KindOfChartLine(std::string_view line) {
  // Field 0 is a single letter exactly when the line is that letter alone or
  // the letter followed by ";". A letter elsewhere in the line (a track
  // called "Pointe du Raz", a waypoint called "FORT") decides nothing.
  if (line.empty() || (line.size() > 1 && line[1] != ';')) return ChartLineKind::Other;
  switch (line[0]) {
    case 'T': return ChartLineKind::TrackHeader;
    case 'P': return ChartLineKind::TrackPoint;
    case 'W': return ChartLineKind::Waypoint;
    default: return ChartLineKind::Other;
  }
}

// Field 2 and, from the ";" before field 8 on, the rest of a W line: what it
// holds besides its name, coordinates and value (see chart_line_writer.h).
std::string_view WaypointFieldTwo(std::string_view line);
std::string_view WaypointFieldsFromEight(std::string_view line);

class ChartLine {
 public:
  static constexpr std::size_t kKeptFields = 6;  // fields 0 to 5

  // `line` without its line end; it must outlive this object. Fields 0 to
  // kKeptFields - 1 are split.
  explicit ChartLine(std::string_view line) : ChartLine(line, kKeptFields) {}
  // Fields 0 to `last` only (below kKeptFields): the split stops after
  // them, for a caller that reads no later one.
  static ChartLine UpToField(std::string_view line, std::size_t last) { return ChartLine(line, last + 1); }

  ChartLineKind Kind() const { return KindOfChartLine(fields_[0]); }

  // Whether field n can be read: a field of the line, or the empty one just
  // past its last. Always false past the fields split.
  bool Has(std::size_t n) const { return n < kept_ && n <= count_; }
  // The text of field n, one of the fields split; empty when !Has(n).
  std::string_view Field(std::size_t n) const {
    assert(n < kept_);  // a field never split would read as empty, whatever the line holds
    return n < count_ ? fields_[n] : std::string_view();
  }

 private:
  ChartLine(std::string_view line, std::size_t kept);

  std::array<std::string_view, kKeptFields> fields_{};
  std::size_t kept_;
  // Fields of the line, or kept_ + 1 when it has more than are kept.
  std::size_t count_ = 0;
};

}  // namespace tessaline
