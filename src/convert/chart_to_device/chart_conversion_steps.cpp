#include "convert/chart_to_device/chart_conversion_steps.h"

#include "platform/path_names.h"
#include "formats/percentage.h"
#include "host/replace_file.h"

namespace tessaline::chart_to_device {

std::string DeviceOutputPath(const std::string& input_path) {
  return BaseName(input_path) + ".asc";
}

ConversionOutcome Fail(Host& host) {
  host.ShowMessage(messages::kChartToDeviceError, MessageIcon::Error);
  return ConversionOutcome::Failed;
}

bool StillSameInput(FileSystem& files, const ChartInput& input) {
  const auto identity = files.Identity(input.path);
  const auto length = files.Length(input.path);  // none for anything but a regular file
  return identity && *identity == input.identity && length && *length == input.length;
}

bool OutputWouldReplaceInput(FileSystem& files, const std::string& output_path,
                             const FileIdentity& input) {
  if (files.TypeOf(output_path) == FileType::Missing) return false;
  const auto identity = files.Identity(output_path);
  return !identity || *identity == input;
}

void LinePercentage::Show(std::uint64_t line_number, std::uint64_t line_total) {
  // Line number / line total * 100 in that order, in double precision, then
  // the whole part: line 29 of 100 shows 28%. The line total is a 64-bit
  // count, so a long file never goes past 100%.
  int whole_part = 100;
  if (line_total > 0) {
    const double percent =
        static_cast<double>(line_number) / static_cast<double>(line_total) * 100.0;
    whole_part = percent >= 100.0 ? 100 : percent <= 0.0 ? 0 : static_cast<int>(percent);
  }
  if (whole_part == shown_) return;
  shown_ = whole_part;
  host_.SetMainPercentage(PercentageText(whole_part));
}

ConversionOutcome SaveAndComplete(Host& host, const ChartInput& input, std::string_view output) {
  FileSystem& files = host.Files();
  const std::string output_path = DeviceOutputPath(input.path);
  // Checked again right before writing: the output name may have been made a
  // link to the input while the passes ran.
  if (OutputWouldReplaceInput(files, output_path, input.identity)) return Fail(host);
  if (!ReplaceFileWith(files, output_path, output)) return Fail(host);
  host.MarkStepFinished(4);
  host.SetInnerPercentage(kFinalInnerPercentage);
  host.SetMainPercentage(kFinalMainPercentage);
  host.ShowCompletion(messages::CompletionCaption(input.path));
  return ConversionOutcome::Completed;
}

}  // namespace tessaline::chart_to_device
