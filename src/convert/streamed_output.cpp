#include "convert/streamed_output.h"

#include "convert/conversion_failure.h"
#include "convert/output_guard.h"

namespace tessaline {

StreamedOutput::StreamedOutput(FileSystem& files, std::string path, bool streaming, std::uint32_t readers)
    : files_(files), path_(std::move(path)), streaming_(streaming), readers_(readers) {}

void StreamedOutput::WriteText() {
  if (!fault_) {
    // A write that failed is closed at once, as it would be at the end,
    // and its temporary file goes: nothing more is written.
    FileStatus written = Begun();
    if (written) written = Put(text);
    if (!written) {
      if (out_) out_->Finish();
      fault_ = written.fault();
      out_.reset();
    }
  }
  text.clear();
}

FileStatus StreamedOutput::Begun() {
  if (out_) return {};
  auto begun = StreamedReplacement::Begin(files_, path_, readers_);
  if (!begun) return begun.fault();
  out_ = std::move(*begun);
  if (lead.empty()) return {};
  const FileStatus written = Put(lead);
  std::string().swap(lead);
  return written;
}

FileStatus StreamedOutput::Put(std::string_view data) {
  if (!filter_) return out_->Write(data);
  FileStatus written;
  filter_->Add(data, [&](std::string_view bytes) {
    if (written) written = out_->Write(bytes);
  });
  return written;
}

void StreamedOutput::Seal() {
  if (!fault_) {
    FileStatus sealed = Begun();
    if (sealed) {
      sealed = Put(text);
      if (sealed && filter_) {
        filter_->End([&](std::string_view bytes) {
          if (sealed) sealed = out_->Write(bytes);
        });
      }
      // A failure shows when it is finished.
      const FileStatus finished = out_->Finish();
      if (sealed) sealed = finished;
    }
    if (!sealed) fault_ = sealed.fault();
  }
  if (fault_) throw ConversionFailure::FileOperation(path_, *fault_);
}

void ReplaceStreamedOutputs(FileSystem& files, const std::vector<StreamedOutput*>& outputs,
                            const FileIdentity& input) {
  for (const StreamedOutput* output : outputs) RefuseOutputOverInput(files, output->Path(), input);
  for (StreamedOutput* output : outputs) output->Seal();
  std::vector<StreamedReplacement*> sealed;
  for (StreamedOutput* output : outputs) sealed.push_back(output->out_.get());
  const ReplacedTogether committed = CommitTogether(sealed);
  if (committed.failed < outputs.size()) {
    throw ConversionFailure::FileOperation(outputs[committed.failed]->Path(), committed.status.fault());
  }
}

}  // namespace tessaline
