#pragma once
// GPX 1.1 text, appended piece by piece to strings the caller assembles
// (waypoints and tracks go to separate texts, since GPX puts every waypoint
// first). UTF-8; & < > " ' escaped; control characters XML 1.0 cannot hold
// are left out and counted. <ele> and <time> are written for the points
// that carry them (those read from GPX).

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/gpx/gpx_model.h"

namespace tessaline::gpx {

struct GpxOutPoint {
  std::string_view lat, lon;  // xsd:decimal texts, in range
  std::string_view name;      // UTF-8; empty: <name/> on a track point, none on a waypoint
  std::string_view value;     // UTF-8; see WritesValue
  std::string_view fields;    // UTF-8; a W line's other fields (gpx_model.h)
  bool has_fields = false;    // false: none written
  bool has_name = true;       // false: no <name> at all (it reads back as its run's)
  bool has_value = true;      // false: no Value written whatever it is
  std::string_view elevation;  // <ele>, as read; empty: none
  std::string_view time;       // <time>, xsd:dateTime; empty: none
};

// `text` as XML character data or attribute value: & < > " ' and CR
// escaped, what XML 1.0 cannot hold left out and counted in `dropped`.
void AppendXmlText(std::string& out, std::string_view text, std::uint64_t& dropped);

class GpxWriter {
 public:
  // The XML declaration and the <gpx> start tag with both namespaces.
  static void AppendHead(std::string& out, std::string_view creator);
  static void AppendTail(std::string& out);

  void AppendWaypoint(std::string& out, const GpxOutPoint& point);
  // <trk><name>..</name><trkseg>
  void AppendTrackStart(std::string& out, std::string_view name);
  void AppendTrackPoint(std::string& out, const GpxOutPoint& point);
  // </trkseg></trk>
  static void AppendTrackEnd(std::string& out);
  // A run of any kind: a waypoint's has no start or end of its own; a
  // route's is <rte>, its points <rtept>.
  void AppendRunStart(std::string& out, RunKind kind, std::string_view name);
  void AppendRunPoint(std::string& out, RunKind kind, const GpxOutPoint& point) { AppendPoint(out, kind, point); }
  static void AppendRunEnd(std::string& out, RunKind kind);

  // Control characters left out so far.
  std::uint64_t dropped_controls() const { return dropped_; }

 private:
  void AppendPoint(std::string& out, RunKind kind, const GpxOutPoint& point);
  void AppendText(std::string& out, std::string_view text);
  // `text` escaped: itself when it needs nothing, else its escaped form,
  // made in `room`.
  std::string_view Escaped(std::string_view text, std::string& room);

  std::uint64_t dropped_ = 0;
  // The last point name, as given; the markup written for it (the end of
  // the start tag, then its <name> element); the characters it left out.
  // A point written without a name keeps them.
  std::string name_, name_markup_;
  std::string escaped_value_, escaped_fields_, escaped_elevation_, escaped_name_;  // of the point being written
  std::uint64_t name_dropped_ = 0;
};

}  // namespace tessaline::gpx
