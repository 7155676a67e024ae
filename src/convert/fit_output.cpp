#include "convert/fit_output.h"

#include <algorithm>

namespace tessaline {

FitOutput::FitOutput(FileSystem& files, PointBudget budget, FitPlan plan)
    : files_(files), plan_(std::move(plan)), budget_(std::move(budget)) {
  budget_.ExpectAtMost(plan_.input_length / std::max<std::uint64_t>(plan_.least_point_bytes, 1) + 1);
  // Only outputs that a fit may cut are kept whole; any others go to their
  // temporary files as they are made.
  streaming_ = !budget_.Recording() && !plan_.gather;
  for (const std::string& path : plan_.paths) {
    outputs_.push_back(std::make_unique<StreamedOutput>(files, path, streaming_, plan_.readers));
  }
  // Only the pages written of the room asked are ever used.
  StreamedOutput& main = *outputs_[plan_.track_file];
  if (streaming_) {
    main.text.reserve(StreamedOutput::kBlock + 4096);
  } else if (plan_.growth > 0) {
    main.text.reserve(static_cast<std::size_t>(
        std::min<std::uint64_t>(plan_.input_length * plan_.growth + 4096, std::uint64_t{4} << 30)));
  }
}

void FitOutput::Fit(ConversionReport& report, const ReductionPause& pause) {
  budget_.Fit(Text(plan_.track_file), pause);
  budget_.Report(report);
  if (plan_.device_file) budget_.WarnPastDeviceLimit(report);
}

std::vector<StreamedOutput*> FitOutput::Outputs() {
  std::vector<StreamedOutput*> outputs;
  for (const auto& output : outputs_) outputs.push_back(output.get());
  return outputs;
}

}  // namespace tessaline
