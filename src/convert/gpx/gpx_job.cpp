#include "convert/gpx/gpx_job.h"

#include "convert/input_file.h"
#include "convert/output_guard.h"
#include "formats/coordinate_notation.h"
#include "formats/device_point_line.h"
#include "formats/gpx/gpx_model.h"
#include "formats/gpx/gpx_reader.h"
#include "formats/number_reader.h"
#include "formats/percentage.h"
#include "platform/path_names.h"

namespace tessaline::gpx {

namespace {

const WarningKind& KindOf(NoteKind kind) {
  switch (kind) {
    case NoteKind::PointSkipped: return messages::kGpxPointSkipped;
    case NoteKind::LineSkipped: return messages::kGpxLineSkipped;
    case NoteKind::CharacterReplaced: return messages::kGpxCharacterReplaced;
    case NoteKind::SeparatorReplaced: return messages::kGpxSeparatorReplaced;
    case NoteKind::ControlDropped: return messages::kGpxControlDropped;
    case NoteKind::OnePointTrack: return messages::kGpxOnePointTrack;
    case NoteKind::TooManyLines: break;
  }
  return messages::kGpxTooManyLines;
}

}  // namespace

void GpxJob::Begin(const std::vector<std::string>& outputs) {
  host_.SetStepText(messages::kChartToDeviceStep1);
  FileSystem& files = host_.Files();
  const InputFile checked = CheckInputFile(files, path_);
  identity_ = checked.identity;
  length_ = checked.length;
  for (const std::string& output : outputs) RefuseOutputOverInput(files, output, identity_);
  host_.MarkStepFinished(1);
}

std::unique_ptr<InputStream> GpxJob::OpenInput() {
  host_.SetStepText(messages::kChartToDeviceStep2);
  host_.MarkStepFinished(2);
  host_.SetStepText(messages::kChartToDeviceStep3);
  FileSystem& files = host_.Files();
  const auto identity = files.Identity(path_);
  if (!identity || !(*identity == identity_)) throw ConversionFailure::OfFile(path_, messages::kInputChanged);
  auto input = files.OpenRead(path_);
  if (!input) throw ConversionFailure::FileOperation(path_, files);
  return input;
}

void GpxJob::ShowProgress(std::uint64_t offset) {
  const int percent = length_ == 0 ? 100 : static_cast<int>(std::min<std::uint64_t>(offset * 100 / length_, 100));
  if (percent == shown_percent_) return;
  shown_percent_ = percent;
  host_.SetMainPercentage(PercentageText(percent));
}

void GpxJob::Finish(const std::vector<Output>& outputs) {
  host_.MarkStepFinished(3);
  host_.SetStepText(messages::kChartToDeviceStep4);
  FileSystem& files = host_.Files();
  // Each name is checked again right before writing: it may have become a
  // link to the input meanwhile.
  std::vector<NewContent> contents;
  for (const Output& output : outputs) contents.push_back(NewContent{output.path, output.parts});
  WriteOutputsTogether(files, contents, identity_);
  TakeNotes();
  report_.SetSummary(ConversionSummary{ConversionSummary::Form::TracksAndWaypoints, summary.tracks,
                                       summary.track_points, summary.waypoints});
  CompleteConversion(host_, path_, report_);
}

void GpxJob::TakeNotes() {
  for (const Note& note : notes.Notes()) report_.Warn(KindOf(note.kind), note.first_line, note.count);
  notes = NoteLog();
}

void ThrowUnlessFinished(const GpxReadResult& read, const std::string& path, FileSystem& files) {
  switch (read.end) {
    case GpxReadEnd::Finished: return;
    case GpxReadEnd::Stopped: throw ConversionStopped{};
    case GpxReadEnd::ReadFailed: throw ConversionFailure::FileOperation(path, files);
    case GpxReadEnd::Refused: break;
  }
  throw ConversionFailure(read.reason);
}

bool GpxCoordinate(std::string_view field, bool latitude, std::string& out) {
  const std::string_view text = TrimSpaces(field);
  std::optional<double> value = ReadGpxDecimal(text);
  const bool plain = value.has_value();
  // A text that holds no number would read as 0: a point invented at 0°, 0°.
  if (!plain && HoldsNumber(text)) value = ReadAsNumber(text);
  if (!value || !(latitude ? LatitudeInRange(*value) : LongitudeInRange(*value))) return false;
  if (plain) {
    out.assign(text);
  } else {
    out = CoordinateNotation(*value);
  }
  return true;
}

std::string GpxOutputPath(const std::string& input_path) { return BaseName(input_path) + ".gpx"; }

}  // namespace tessaline::gpx
