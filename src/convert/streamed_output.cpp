#include "convert/streamed_output.h"

#include "convert/conversion_failure.h"
#include "convert/output_guard.h"

namespace tessaline {

StreamedOutput::StreamedOutput(FileSystem& files, std::string path, bool streaming)
    : files_(files), path_(std::move(path)), streaming_(streaming) {}

void StreamedOutput::WriteText() {
  if (!fault_) {
    if (!out_) out_ = StreamedReplacement::Begin(files_, path_);
    // A write that failed is closed at once, as it would be at the end,
    // and its temporary file goes: nothing more is written.
    if (!out_ || (!out_->Write(text) && !out_->Finish())) {
      fault_ = files_.LastFault();
      out_.reset();
    }
  }
  text.clear();
}

void StreamedOutput::Seal() {
  if (!fault_) {
    if (!out_) out_ = StreamedReplacement::Begin(files_, path_);
    if (out_) out_->Write(text);  // a failure shows when it is finished
    if (!out_ || !out_->Finish()) fault_ = files_.LastFault();
  }
  if (fault_) throw ConversionFailure::FileOperation(path_, *fault_);
}

void ReplaceStreamedOutputs(FileSystem& files, const std::vector<StreamedOutput*>& outputs,
                            const FileIdentity& input) {
  for (const StreamedOutput* output : outputs) RefuseOutputOverInput(files, output->Path(), input);
  for (StreamedOutput* output : outputs) output->Seal();
  std::vector<StreamedReplacement*> sealed;
  for (StreamedOutput* output : outputs) sealed.push_back(output->out_.get());
  const std::size_t failed = CommitTogether(sealed);
  if (failed < outputs.size()) throw ConversionFailure::FileOperation(outputs[failed]->Path(), files);
}

}  // namespace tessaline
