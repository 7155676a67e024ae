#pragma once
// The lines of the chart track and waypoint files, appended to the text
// being assembled. Every field is written as given: the formats have no
// escaping, so a ";" inside a name shifts the later fields.

#include <string>
#include <string_view>

namespace tessaline {

// "T;" name ";1;1" CR LF: the header of a track.
void AppendTrackHeaderLine(std::string& out, std::string_view name);

// "P;" coord2 ";" coord1 ";" value ";-9999;" stamp CR LF: one track point.
void AppendTrackPointLine(std::string& out, std::string_view coord2, std::string_view coord1,
                          std::string_view value, std::string_view stamp);

// "W;" name ";;" coord2 ";" coord1 ";" value ";" coord1 ";" coord2 and the
// fixed display fields, CR LF: one waypoint. The chart-to-device reader takes
// the field after the coordinates as the point's Value; "-9999" is none.
void AppendWaypointLine(std::string& out, std::string_view name, std::string_view coord2,
                        std::string_view coord1, std::string_view value = "-9999");

}  // namespace tessaline
