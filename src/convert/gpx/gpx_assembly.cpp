#include "convert/gpx/gpx_assembly.h"

#include <algorithm>

#include "convert/messages.h"
#include "formats/device_point_line.h"
#include "formats/gpx/eight_bit_text.h"
#include "product.h"

namespace tessaline::gpx {

GpxOutPoint GpxAssembly::Out(const EightBitPoint& point) {
  // Texts that need no change (the usual ASCII ones) are used in place.
  return GpxOutPoint{point.lat,
                     point.lon,
                     EightBitAsUtf8(point.name, name_),
                     EightBitAsUtf8(TrimSpaces(point.value), value_),
                     EightBitAsUtf8(point.fields, fields_),
                     point.has_fields};
}

void GpxAssembly::NoteDropped(std::uint64_t line) {
  if (writer_.dropped_controls() == dropped_) return;  // the usual point
  report_.Warn(messages::kGpxControlDropped, line, writer_.dropped_controls() - dropped_);
  dropped_ = writer_.dropped_controls();
}

void GpxAssembly::ExpectInput(std::uint64_t input_length) {
  // A point line of either file becomes at most about twice its bytes of
  // GPX (tags around shorter texts); beyond a few gigabytes let it grow.
  const std::uint64_t room = std::min<std::uint64_t>(input_length * 2 + 4096, std::uint64_t{4} << 30);
  tracks_.reserve(static_cast<std::size_t>(room));
  budget_.ExpectAtMost(input_length / 6 + 1);
}

void GpxAssembly::StreamTo(StreamedOutput& output) {
  std::string().swap(tracks_);  // the room ExpectInput asked goes unused
  stream_ = &output;
  GpxWriter::AppendHead(output.text, TESSALINE_TITLE);
}

void GpxAssembly::EndStream() {
  EndTrack();
  budget_.Fit(stream_->text);  // nothing to cut: the budget does not record
  budget_.Report(report_);
  GpxWriter::AppendTail(stream_->text);
}

std::string& GpxAssembly::TrackText() { return stream_ != nullptr ? stream_->text : tracks_; }

void GpxAssembly::Flow() {
  if (stream_ != nullptr) stream_->Flow();
}

bool GpxAssembly::Waypoint(const EightBitPoint& point) {
  if (stream_ != nullptr && tracks_streamed_) return false;
  writer_.AppendWaypoint(stream_ != nullptr ? stream_->text : waypoints_, Out(point));
  budget_.OtherPoint(point.line);
  NoteDropped(point.line);
  ++report_.Summary().waypoints;
  Flow();
  return true;
}

void GpxAssembly::StartTrack(std::string_view name, std::uint64_t line) {
  EndTrack();
  writer_.AppendTrackStart(TrackText(), EightBitToUtf8(name));
  tracks_streamed_ = stream_ != nullptr;
  budget_.StartTrack(line);
  NoteDropped(line);
  in_track_ = true;
  ++report_.Summary().tracks;
}

void GpxAssembly::TrackPoint(const EightBitPoint& point) {
  std::string& text = TrackText();
  const std::size_t begin = text.size();
  writer_.AppendTrackPoint(text, Out(point));
  budget_.TrackPoint(begin, text.size(), point.lat_value, point.lon_value, point.line);
  NoteDropped(point.line);
  ++report_.Summary().points;
  Flow();
}

void GpxAssembly::EndTrack() {
  if (!in_track_) return;
  GpxWriter::AppendTrackEnd(TrackText());
  in_track_ = false;
}

std::vector<std::string_view> GpxAssembly::Parts(const ReductionPause& pause) {
  EndTrack();
  budget_.Fit(tracks_, pause);
  budget_.Report(report_);
  head_.clear();
  GpxWriter::AppendHead(head_, TESSALINE_TITLE);
  tail_.clear();
  GpxWriter::AppendTail(tail_);
  return {head_, waypoints_, tracks_, tail_};
}

}  // namespace tessaline::gpx
