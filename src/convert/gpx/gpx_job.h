#pragma once
// What every GPX conversion does around its own work: the input checks of
// step 1, the panel's steps and percentage, the one end of a conversion
// (completion with summary and warnings, or the GPX message with its
// reason), writing the outputs whole and never over the input.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/conversion_end.h"
#include "convert/conversion_failure.h"
#include "convert/input_file.h"
#include "convert/progress_pacer.h"
#include "convert/streamed_output.h"
#include "host/conversion_report.h"
#include "formats/gpx/gpx_reader.h"
#include "host/host.h"
#include "host/replace_file.h"

namespace tessaline::gpx {

// The shortest GPX point, <wpt lat="0" lon="0"/>: an input of n bytes holds
// at most n / kLeastGpxPointBytes points.
inline constexpr std::uint64_t kLeastGpxPointBytes = 22;

class GpxJob {
 public:
  // `message`: what a failure is shown under, its reader's format's.
  GpxJob(Host& host, const std::string& path, const char* message = messages::kGpxError)
      : report(path), host_(host), path_(path), message_(message) {}

  // Runs `steps` (which end with Finish) as one conversion: a failure shows
  // the message with its reason and the warnings met before it.
  template <typename Steps>
  ConversionOutcome Run(Steps&& steps) {
    return RunConversion(host_, message_, report, [&] { steps(); });
  }

  FileSystem& Files() { return host_.Files(); }

  // Step 1: a regular file that none of `outputs` would replace, nor, with
  // `over_input` (a road whose outputs take its input's format), the other
  // file of a chart input's pair; `over_input` is then the reason given.
  void Begin(const std::vector<std::string>& outputs, const char* over_input = nullptr);
  // Steps 2 and 3 begin; the input opened for reading, whole (see
  // OpenWholeInput). Opened again (a road that must read it twice), it is
  // checked again and the steps stay.
  std::unique_ptr<InputStream> OpenInput();
  // The input once more, for a reader that looks ahead before it reads (a
  // log's first date): as OpenInput, or plainly opened when replaying.
  std::unique_ptr<InputStream> OpenInputAgain();
  std::uint64_t InputLength() const { return input_.length; }
  // The permission bits of the input, which bound its outputs'.
  std::uint32_t InputReaders() const { return input_.identity.permissions; }

  // lblFichiers for `offset` bytes of the input read; cheap when unchanged.
  void ShowProgress(std::uint64_t offset) {
    if (!replaying_) percentage_.At(offset);
  }
  void YieldOrStop() {
    if (!replaying_) tessaline::YieldOrStop(host_);
  }
  // Reading again, for a second sink once the conversion is over: nothing
  // shown, no yields.
  void Replaying() { replaying_ = true; }

  // Step 4: the outputs (each its content in parts) replaced together, then
  // the completion.
  void Finish(const std::vector<NewContent>& outputs);
  // Step 4 for outputs written as they were made, then the completion:
  // each name is checked again, every output is put whole on the disk, and
  // only then are they renamed over their targets, one after the other.
  void FinishStreamed(const std::vector<StreamedOutput*>& outputs);

  // The summary and the warnings, as every conversion gathers them.
  ConversionReport report;
  // The day a log without a date was recorded (--date), in days since
  // 1970-01-01; none when not given.
  std::optional<std::int64_t> log_day;

 private:
  Host& host_;
  std::string path_;
  const char* message_;
  InputFile input_;
  // Bytes read of the input's length, whole numbers: a road read twice
  // shows nothing new until its second reading passes the first.
  ProgressPacer percentage_{host_, ProgressPacer::Label::Main, ProgressPacer::Division::Exact};
  bool reading_ = false;  // steps 2 and 3 shown
  bool replaying_ = false;
};

// The GPX reader's end as the conversion's: a refusal (with its line and
// column), a read error or a stop request is thrown.
void ThrowUnlessFinished(const GpxReadResult& read, const std::string& path, FileSystem& files);

// Coordinates of a device or chart field for GPX: the text itself when it
// is a plain decimal, else the number it reads as in the chart notation.
// False when it reads as nothing usable or lies out of range. `value`, when
// given, receives the number it reads as.
bool GpxCoordinate(std::string_view field, bool latitude, std::string& out, double* value);

}  // namespace tessaline::gpx
