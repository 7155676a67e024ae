#pragma once
// KML 2.2 text with Google's gx: extension, appended piece by piece (UTF-8,
// texts escaped as GPX's are, line feeds as character references).
//
//   stream                  KML
//   waypoint                <Placemark> with <name>, <TimeStamp>, <Point>
//   track                   <Placemark> with a <LineString>, or a <gx:Track>
//                           where its points carry times, values or names
//                           of their own: a <when> for each <gx:coord> when
//                           every point has a time, else the times in the
//                           placemark's <ExtendedData> (before the track)
//                           beside values and names (<gx:SimpleArrayData>,
//                           one <gx:value> a point, empty where it has none)
//   route                   a <Folder> marked <tsl:route/> in its
//                           <ExtendedData>, holding a <LineString> placemark
//                           to look at and one Point placemark a point
//   elevation               the coordinates' third number
//   Value                   <Data name="value"> of a placemark, the "value"
//                           array of a track
//
// The schema wants every <when> before every <gx:coord>, and a track's
// geometry is only known once all its points are: a run's points are first
// kept as records (one line each, its pieces already escaped), then the run
// is written from them in as many passes as it needs (FormatKmlRun).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "formats/point_stream.h"

namespace tessaline::kml {

inline constexpr std::string_view kKmlNamespace = "http://www.opengis.net/kml/2.2";
inline constexpr std::string_view kGxNamespace = "http://www.google.com/kml/ext/2.2";
// The marker of a route's folder, in the program's own namespace.
inline constexpr std::string_view kRouteMarker = "route";
// The per-point arrays of a track.
inline constexpr std::string_view kTimeArray = "time";
inline constexpr std::string_view kValueArray = "value";
inline constexpr std::string_view kNameArray = "name";

// A point as the writer takes it: texts UTF-8, not escaped yet.
struct KmlOutPoint {
  std::string_view lat, lon;  // xsd:decimal texts, in range
  std::string_view elevation;  // a decimal, else empty: none
  std::string_view time;       // xsd:dateTime, else empty: none
  std::string_view name;
  bool has_name = false;  // a name of its own
  std::string_view value;
  bool has_value = false;  // a Value of its own
};

class KmlWriter {
 public:
  // The declaration, <kml>, <Document>, the styles and the arrays' schema.
  static void AppendHead(std::string& out, std::string_view document_name);
  static void AppendTail(std::string& out);

  void AppendWaypoint(std::string& out, const KmlOutPoint& point);

  // A run's start record, its points' records, its end record.
  void AppendRunRecord(std::string& out, RunKind kind, std::string_view name);
  void AppendPointRecord(std::string& out, const KmlOutPoint& point);
  static void AppendRunEndRecord(std::string& out);

  std::uint64_t dropped_controls() const { return dropped_; }

 private:
  void AppendText(std::string& out, std::string_view text);
  std::uint64_t dropped_ = 0;
};

// The records of one run, which can be gone through again and again.
class KmlRunRecords {
 public:
  virtual ~KmlRunRecords() = default;
  // Every point's record in order, without its line end.
  virtual void ForEach(const std::function<void(std::string_view record)>& each) = 0;
};

// The run `head` (its start record) holds, written from its records to
// `out`; `flow` is called after each point's piece.
void FormatKmlRun(std::string& out, std::string_view head, KmlRunRecords& records,
                  const std::function<void()>& flow);

// Rewrites a text whose runs are records (a document gathered whole, once a
// fit has cut it) into the runs' KML.
void FormatKmlRecords(std::string& text);

}  // namespace tessaline::kml
