#include "convert/gpx/gpx_job.h"

#include "convert/input_file.h"
#include "convert/output_guard.h"
#include "formats/coordinate_notation.h"
#include "formats/device_point_line.h"
#include "formats/gpx/gpx_model.h"
#include "formats/gpx/gpx_reader.h"
#include "formats/number_reader.h"
#include "platform/path_names.h"

namespace tessaline::gpx {

namespace {

// The other file of a chart file's pair, "x_WPT.txt" for "x_TRK.txt" (the
// ending's letters in the same case); "" for any other name.
std::string OtherOfPair(const std::string& path) {
  if (path.size() < 8) return {};
  std::string other = path;
  const std::size_t at = path.size() - 8;
  auto is = [&](char c, char upper) { return c == upper || c == upper - 'A' + 'a'; };
  if (path[at] != '_' || path[at + 4] != '.') return {};
  const bool track = is(path[at + 1], 'T') && is(path[at + 2], 'R') && is(path[at + 3], 'K');
  const bool waypoint = is(path[at + 1], 'W') && is(path[at + 2], 'P') && is(path[at + 3], 'T');
  if (!track && !waypoint) return {};
  const char* swap = track ? "WPT" : "TRK";
  for (std::size_t i = 0; i < 3; ++i) {
    const bool lower = path[at + 1 + i] >= 'a';
    other[at + 1 + i] = lower ? static_cast<char>(swap[i] - 'A' + 'a') : swap[i];
  }
  return other;
}

bool SameFile(FileSystem& files, const std::string& a, const std::string& b) {
  if (a == b) return true;
  if (files.TypeOf(a) == FileType::Missing || files.TypeOf(b) == FileType::Missing) return false;
  const FileResult<FileIdentity> first = files.Identity(a), second = files.Identity(b);
  return first && second && *first == *second;
}

}  // namespace

void GpxJob::Begin(const std::vector<std::string>& outputs, const char* over_input) {
  host_.SetStepText(messages::kGpxStepCheck);
  FileSystem& files = host_.Files();
  input_ = CheckInputFile(files, path_);
  percentage_.Restart(input_.length);
  if (over_input != nullptr) {
    const std::string other = OtherOfPair(path_);
    for (const std::string& output : outputs) {
      if (SameFile(files, output, path_) || (!other.empty() && SameFile(files, output, other))) {
        throw ConversionFailure::OfFile(output, over_input);
      }
    }
  }
  for (const std::string& output : outputs) RefuseOutputOverInput(files, output, input_.identity);
  host_.MarkStepFinished(1);
}

std::unique_ptr<InputStream> GpxJob::OpenInput() {
  if (!reading_) {
    host_.SetStepText(messages::kGpxStepOpen);
    host_.MarkStepFinished(2);
    host_.SetStepText(messages::kGpxStepRead);
    reading_ = true;
  }
  return OpenWholeInput(host_.Files(), path_, input_);
}

std::unique_ptr<InputStream> GpxJob::OpenInputAgain() {
  if (replaying_) return OrFail(host_.Files().OpenRead(path_), path_);
  return OpenInput();
}

void GpxJob::Finish(const std::vector<NewContent>& outputs) {
  host_.MarkStepFinished(3);
  host_.SetStepText(messages::kGpxStepWrite);
  // Each name is checked again right before writing: it may have become a
  // link to the input meanwhile.
  WriteOutputsTogether(host_.Files(), outputs, input_.identity);
  CompleteConversion(host_, path_, report);
}

void GpxJob::FinishStreamed(const std::vector<StreamedOutput*>& outputs) {
  host_.MarkStepFinished(3);
  host_.SetStepText(messages::kGpxStepWrite);
  ReplaceStreamedOutputs(host_.Files(), outputs, input_.identity);
  CompleteConversion(host_, path_, report);
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

bool GpxCoordinate(std::string_view field, bool latitude, std::string& out, double* read) {
  const std::string_view text = TrimSpaces(field);
  // Most coordinates are plain decimals well within range: copied as they
  // stand, and read as a number only when the caller keeps it.
  if (read == nullptr && GpxDecimalWithin(text, latitude ? 90 : 180)) {
    out.assign(text);
    return true;
  }
  std::optional<double> value = ReadGpxDecimal(text);
  const bool plain = value.has_value();
  // A text that holds no number would read as 0: a point invented at 0°, 0°.
  if (!plain && HoldsNumber(text)) value = ReadAsNumber(text);
  if (!value || !(latitude ? LatitudeInRange(*value) : LongitudeInRange(*value))) return false;
  if (read != nullptr) *read = *value;
  if (plain) {
    out.assign(text);
  } else {
    out = CoordinateNotation(*value);
  }
  return true;
}


}  // namespace tessaline::gpx
