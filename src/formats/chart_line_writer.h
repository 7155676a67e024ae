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

// What a W line holds besides its name, coordinates and value: field 2, then
// from the ";" before field 8 on, as one text. This program writes field 2
// empty and the fixed display fields (symbol, datum, label settings).
inline constexpr std::string_view kWaypointDisplayFields =
    ";0;C8;WGS84;2;1;18;255;1;0;3;Arial,8,0,0,0,0;0;65535;16;0;0";

// "W;" name ";" field 2 ";" coord2 ";" coord1 ";" value ";" coord1 ";" coord2
// and fields 8 on, CR LF: one waypoint, `other_fields` as above. The
// chart-to-device reader takes the field after the coordinates as the point's
// Value; "-9999" is none.
void AppendWaypointLine(std::string& out, std::string_view name, std::string_view coord2,
                        std::string_view coord1, std::string_view value = "-9999",
                        std::string_view other_fields = kWaypointDisplayFields);

}  // namespace tessaline
