#pragma once
// What every GPX conversion does around its own work: the input checks of
// step 1, the panel's steps and percentage, the failure message with its
// reason, writing the outputs, the completion and the report.

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "convert/chart_to_device/chart_conversion_steps.h"
#include "convert/gpx/gpx_conversions.h"
#include "formats/gpx/gpx_notes.h"

namespace tessaline::gpx {

class GpxJob {
 public:
  GpxJob(Host& host, const std::string& path, GpxReport* report);
  ~GpxJob();

  // Step 1: a regular file that none of `outputs` would replace. False after
  // the failure was shown.
  bool Begin(std::initializer_list<std::string> outputs);
  // Steps 2 and 3 begin; the input opened for the one reading pass.
  std::unique_ptr<InputStream> OpenInput();
  std::uint64_t InputLength() const { return input_.length; }

  // lblFichiers for `offset` bytes of the input read.
  void ShowProgress(std::uint64_t offset) { percentage_.Show(offset, input_.length); }
  bool Yield() { return host_.Yield(); }

  // An output file and its content, in parts written one after the other.
  struct Output {
    std::string path;
    std::vector<std::string_view> parts;
  };
  // Step 4 for each output in turn, then the completion.
  ConversionOutcome Finish(const std::vector<Output>& outputs);

  ConversionOutcome Fail(std::string_view reason);

  NoteLog notes;
  Summary summary;

 private:
  Host& host_;
  std::string path_;
  GpxReport* report_;
  chart_to_device::ChartInput input_;
  chart_to_device::LinePercentage percentage_;
};

// Runs `body` (returning ConversionOutcome), turning memory exhaustion into
// the conversion's failure rather than the program's end.
template <typename Body>
ConversionOutcome Guarded(Host& host, Body&& body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    host.ShowMessage(messages::WithReason(messages::kGpxError, "mémoire insuffisante"), MessageIcon::Error);
    return ConversionOutcome::Failed;
  }
}

// Coordinates of a device or chart field for GPX: the text itself when it
// is a plain decimal, else the number it reads as in the chart notation.
// False when it reads as nothing usable or lies out of range.
bool GpxCoordinate(std::string_view field, bool latitude, std::string& out);

}  // namespace tessaline::gpx
