#include "convert/gpx/gpx_assembly.h"

#include "formats/device_point_line.h"
#include "formats/gpx/eight_bit_text.h"
#include "product.h"

namespace tessaline::gpx {

GpxOutPoint GpxAssembly::Out(const EightBitPoint& point) {
  name_ = EightBitToUtf8(point.name);
  return GpxOutPoint{point.lat, point.lon, name_, TrimSpaces(point.value)};
}

void GpxAssembly::NoteDropped(std::uint64_t line) {
  notes_.Add(NoteKind::ControlDropped, line, writer_.dropped_controls() - dropped_);
  dropped_ = writer_.dropped_controls();
}

void GpxAssembly::Waypoint(const EightBitPoint& point) {
  writer_.AppendWaypoint(waypoints_, Out(point));
  NoteDropped(point.line);
  ++summary_.waypoints;
}

void GpxAssembly::StartTrack(std::string_view name, std::uint64_t line) {
  EndTrack();
  writer_.AppendTrackStart(tracks_, EightBitToUtf8(name));
  NoteDropped(line);
  in_track_ = true;
  ++summary_.tracks;
}

void GpxAssembly::TrackPoint(const EightBitPoint& point) {
  writer_.AppendTrackPoint(tracks_, Out(point));
  NoteDropped(point.line);
  ++summary_.track_points;
}

void GpxAssembly::EndTrack() {
  if (!in_track_) return;
  GpxWriter::AppendTrackEnd(tracks_);
  in_track_ = false;
}

std::string GpxAssembly::Document() {
  EndTrack();
  std::string document;
  document.reserve(waypoints_.size() + tracks_.size() + 512);
  GpxWriter::AppendHead(document, TESSALINE_TITLE);
  document.append(waypoints_);
  std::string().swap(waypoints_);
  document.append(tracks_);
  std::string().swap(tracks_);
  GpxWriter::AppendTail(document);
  return document;
}

}  // namespace tessaline::gpx
