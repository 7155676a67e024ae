#include "formats/chart_line_writer.h"

#include <algorithm>

namespace tessaline {

namespace {
constexpr std::string_view kLineEnd = "\r\n";
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
                        std::string_view coord1, std::string_view value, std::string_view other_fields) {
  const std::size_t cut = std::min(other_fields.find(';'), other_fields.size());
  out += "W;";
  out += name;
  out += ';';
  out += other_fields.substr(0, cut);
  out += ';';
  out += coord2;
  out += ';';
  out += coord1;
  out += ';';
  out += value;
  out += ';';
  out += coord1;
  out += ';';
  out += coord2;
  out += other_fields.substr(cut);
  out += kLineEnd;
}

}  // namespace tessaline
