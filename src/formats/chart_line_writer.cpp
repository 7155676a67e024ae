#include "formats/chart_line_writer.h"

namespace tessaline {

namespace {
constexpr std::string_view kLineEnd = "\r\n";
// Symbol, datum and label settings the chart program expects on every waypoint.
constexpr std::string_view kWaypointTail =
    ";0;C8;WGS84;2;1;18;255;1;0;3;Arial,8,0,0,0,0;0;65535;16;0;0";
}  // namespace

void AppendTrackHeaderLine(std::string& out, std::string_view name) {
  out += "T;";
  out += name;
  out += ";1;1";
  out += kLineEnd;
}

void AppendTrackPointLine(std::string& out, std::string_view coord2, std::string_view coord1,
                          std::string_view value, std::string_view stamp) {
  out += "P;";
  out += coord2;
  out += ';';
  out += coord1;
  out += ';';
  out += value;
  out += ";-9999;";
  out += stamp;
  out += kLineEnd;
}

void AppendWaypointLine(std::string& out, std::string_view name, std::string_view coord2,
                        std::string_view coord1, std::string_view value) {
  out += "W;";
  out += name;
  out += ";;";
  out += coord2;
  out += ';';
  out += coord1;
  out += ';';
  out += value;
  out += ';';
  out += coord1;
  out += ';';
  out += coord2;
  out += kWaypointTail;
  out += kLineEnd;
}

}  // namespace tessaline
