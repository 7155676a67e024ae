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

void GpxJob::Begin(const std::vector<std::string>& outputs) {
  host_.SetStepText(messages::kGpxStepCheck);
  FileSystem& files = host_.Files();
  input_ = CheckInputFile(files, path_);
  percentage_.Restart(input_.length);
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

std::string GpxOutputPath(const std::string& input_path) { return BaseName(input_path) + ".gpx"; }

}  // namespace tessaline::gpx
