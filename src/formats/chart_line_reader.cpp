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
