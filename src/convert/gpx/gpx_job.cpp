#include "convert/gpx/gpx_job.h"

#include "formats/coordinate_notation.h"
#include "formats/device_point_line.h"
#include "formats/gpx/gpx_model.h"
#include "formats/gpx/gpx_reader.h"
#include "formats/number_reader.h"
#include "formats/percentage.h"
#include "host/replace_file.h"
#include "platform/path_names.h"

namespace tessaline::gpx {

GpxJob::GpxJob(Host& host, const std::string& path, GpxReport* report)
    : host_(host), path_(path), report_(report), percentage_(host) {}

GpxJob::~GpxJob() {
  if (report_ != nullptr) report_->notes = notes.Notes();
}

bool GpxJob::Begin(std::initializer_list<std::string> outputs) {
  host_.SetStepText(messages::kChartToDeviceStep1);
  FileSystem& files = host_.Files();
  if (path_.empty() || files.TypeOf(path_) != FileType::Regular) {
    Fail("fichier introuvable ou illisible");
    return false;
  }
  const auto identity = files.Identity(path_);
  const auto length = files.Length(path_);
  if (!identity || !length) {
    Fail("fichier illisible");
    return false;
  }
  input_ = {path_, *identity, *length};
  for (const std::string& output : outputs) {
    if (chart_to_device::OutputWouldReplaceInput(files, output, input_.identity)) {
      Fail("le fichier de sortie " + FileNameOfPath(output) + " remplacerait le fichier d'entrée");
      return false;
    }
  }
  host_.MarkStepFinished(1);
  return true;
}

std::unique_ptr<InputStream> GpxJob::OpenInput() {
  host_.SetStepText(messages::kChartToDeviceStep2);
  host_.MarkStepFinished(2);
  host_.SetStepText(messages::kChartToDeviceStep3);
  if (!chart_to_device::StillSameInput(host_.Files(), input_)) return nullptr;
  return host_.Files().OpenRead(input_.path);
}

ConversionOutcome GpxJob::Finish(const std::vector<Output>& outputs) {
  host_.MarkStepFinished(3);
  host_.SetStepText(messages::kChartToDeviceStep4);
  FileSystem& files = host_.Files();
  for (const auto& [path, parts] : outputs) {
    // Checked again right before writing: the name may have become a link
    // to the input meanwhile.
    if (chart_to_device::OutputWouldReplaceInput(files, path, input_.identity)) {
      return Fail("le fichier de sortie " + FileNameOfPath(path) + " remplacerait le fichier d'entrée");
    }
    if (!ReplaceFileWithParts(files, path, parts)) {
      return Fail("écriture impossible de " + FileNameOfPath(path));
    }
  }
  host_.MarkStepFinished(4);
  host_.SetInnerPercentage(kFinalInnerPercentage);
  host_.SetMainPercentage(kFinalMainPercentage);
  host_.ShowCompletion(messages::CompletionCaption(path_));
  if (report_ != nullptr) report_->summary = summary;
  return ConversionOutcome::Completed;
}

ConversionOutcome GpxJob::Fail(std::string_view reason) {
  host_.ShowMessage(messages::WithReason(messages::kGpxError, reason), MessageIcon::Error);
  return ConversionOutcome::Failed;
}

bool GpxCoordinate(std::string_view field, bool latitude, std::string& out) {
  const std::string_view text = TrimSpaces(field);
  std::optional<double> value = ReadGpxDecimal(text);
  const bool plain = value.has_value();
  if (!plain) value = ReadAsNumber(text);
  if (!value || !(latitude ? LatitudeInRange(*value) : LongitudeInRange(*value))) return false;
  if (plain) {
    out.assign(text);
  } else {
    out = CoordinateNotation(*value);
  }
  return true;
}

std::string GpxOutputPath(const std::string& input_path) { return BaseName(input_path) + ".gpx"; }

bool IsGpxFile(FileSystem& files, const std::string& path) {
  if (path.empty() || files.TypeOf(path) != FileType::Regular) return false;
  auto input = files.OpenRead(path);
  return input && IsGpxDocument(*input);
}

}  // namespace tessaline::gpx
