#include "formats/chart_line_reader.h"

namespace tessaline {

ChartLineKind KindOfChartLine(std::string_view line) {
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

namespace {
// Where field n starts (just past the nth ";"), or npos.
std::size_t FieldStart(std::string_view line, std::size_t n) {
  std::size_t at = 0;
  for (std::size_t k = 0; k < n; ++k) {
    at = line.find(';', at);
    if (at == std::string_view::npos) return at;
    ++at;
  }
  return at;
}
}  // namespace

std::string_view WaypointFieldTwo(std::string_view line) {
  const std::size_t start = FieldStart(line, 2);
  if (start == std::string_view::npos) return {};
  return line.substr(start, line.find(';', start) - start);
}

std::string_view WaypointFieldsFromEight(std::string_view line) {
  const std::size_t start = FieldStart(line, 8);
  return start == std::string_view::npos ? std::string_view() : line.substr(start - 1);
}

ChartLine::ChartLine(std::string_view line) {
  std::size_t start = 0;
  for (;;) {
    if (count_ == kKeptFields) {  // a further field exists; its text is not needed
      ++count_;
      return;
    }
    const std::size_t semicolon = line.find(';', start);
    if (semicolon == std::string_view::npos) {
      fields_[count_++] = line.substr(start);
      return;
    }
    fields_[count_++] = line.substr(start, semicolon - start);
    start = semicolon + 1;
  }
}

ChartLineKind ChartLine::Kind() const { return KindOfChartLine(fields_[0]); }

bool ChartLine::Has(std::size_t n) const { return n < kKeptFields && n <= count_; }

std::string_view ChartLine::Field(std::size_t n) const {
  return n < kKeptFields && n < count_ ? fields_[n] : std::string_view();
}

}  // namespace tessaline
