#pragma once
// Streaming KML reader over Expat, with the refusals every XML document
// meets here (formats/gpx/expat_document.h); nothing a document names is
// fetched or followed (NetworkLink, href).
//
// Read: a root <kml> in the namespace of KML 2.0, 2.1 or 2.2, or in none;
// in Document and Folder at any depth, every Placemark:
//   Point                       a waypoint (its name, TimeStamp, and the
//                               Value of its <Data name="value">)
//   LineString                  a track of its <coordinates>
//   gx:Track, gx:MultiTrack     a track: <when> times paired with <gx:coord>
//                               in order, the placemark's arrays
//                               (kml_writer.h) for values, names and times
//   MultiGeometry               each of these it holds, at any depth
// and in a Folder this program marked as a route, its Point placemarks are
// the route's points (its LineString is only to be looked at).
// <coordinates> is a stream of tuples "lon,lat[,alt]" with no cap on its
// length; a tuple with fewer than two numbers, or out of range, is skipped
// (PointSkipped, with its line). Other texts keep the usual caps.
//
// A gx:Track's <when> times, and a placemark's arrays, come before the
// coordinates they go with and are held until then: a point each (a time
// in 16 bytes, an array's text and 4 bytes).

#include <cstdint>
#include <string_view>

#include "formats/gpx/expat_document.h"
#include "formats/point_stream.h"
#include "host/file_system.h"

namespace tessaline::kml {

// What a document holds that the stream cannot carry.
class KmlNotes {
 public:
  virtual ~KmlNotes() = default;
  // A feature or geometry a point file cannot hold (Polygon, Model,
  // GroundOverlay, NetworkLink...), by its local name, at `line`.
  virtual void Unsupported(std::string_view element, std::uint64_t line) = 0;
  // A gx:coord beyond the track's <when> times: read without a time.
  virtual void CoordWithoutTime(std::uint64_t line) = 0;
};

// Reads the whole document; texts UTF-8.
gpx::GpxReadResult ReadKml(InputStream& input, PointSink& sink, KmlNotes& notes);

// Whether the document's root element is <kml> (in any namespace), read
// from its first bytes; false for any other root or for no document.
bool IsKmlDocument(InputStream& input);

}  // namespace tessaline::kml
