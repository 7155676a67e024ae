#include "host/replace_file.h"

#include "platform/deferred_signals.h"
#include "platform/path_names.h"

namespace tessaline {

bool ReplaceFileWith(FileSystem& files, const std::string& path, std::string_view content) {
  return ReplaceFileWithParts(files, path, {content});
}

bool ReplaceFileWithParts(FileSystem& files, const std::string& path,
                          const std::vector<std::string_view>& parts) {
  auto out = StreamedReplacement::Begin(files, path);
  if (!out) return false;
  for (std::string_view part : parts) out->Write(part);
  return out->Commit();
}

std::unique_ptr<StreamedReplacement> StreamedReplacement::Begin(FileSystem& files, const std::string& path) {
  std::string target = path;
  std::string temp;
  auto out = files.CreateTemporaryBeside(target, temp);
  if (!out) return nullptr;
  return std::unique_ptr<StreamedReplacement>(
      new StreamedReplacement(files, std::move(target), std::move(temp), std::move(out)));
}

StreamedReplacement::StreamedReplacement(FileSystem& files, std::string target, std::string temp,
                                         std::unique_ptr<OutputFile> out)
    : files_(files), target_(std::move(target)), temp_(std::move(temp)), out_(std::move(out)) {}

StreamedReplacement::~StreamedReplacement() {
  if (done_) return;
  const bool named = out_ ? out_->HasName() : named_;
  out_.reset();
  if (named) files_.Remove(temp_);
}

bool StreamedReplacement::Write(std::string_view data) {
  ok_ = ok_ && out_->Write(data);
  return ok_;
}

bool StreamedReplacement::Finish() {
  // Without the flush before the rename, some file systems put the rename on
  // the disk first: after a power cut the output would be empty and the old
  // file gone.
  if (finished_) return ok_;
  finished_ = true;
  ok_ = ok_ && out_->Sync();
  return ok_;
}

// Closing gives a file made without a name its name: done last, right
// before the rename, so that a run killed meanwhile leaves as little as it can.
bool StreamedReplacement::Close() {
  if (!Finish()) return false;
  if (!out_) return ok_;
  ok_ = out_->Close() && ok_;
  named_ = out_->HasName();
  out_.reset();
  return ok_;
}

bool StreamedReplacement::Rename() {
  if (!ok_ || !files_.Rename(temp_, target_)) return false;
  done_ = true;
  // The new file is complete on the disk whatever happens to its folder's
  // entry; a folder that cannot be flushed (some network file systems)
  // leaves at worst the old file, so it does not fail the write.
  files_.SyncFolder(FolderOfPath(target_));
  return true;
}

bool StreamedReplacement::Commit() { return CommitTogether({this}) == 1; }

std::size_t CommitTogether(const std::vector<StreamedReplacement*>& outputs) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (!outputs[i]->Finish()) return i;
  }
  const platform::DeferredSignals deferred;
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (!outputs[i]->Close()) return i;
  }
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (!outputs[i]->Rename()) return i;
  }
  return outputs.size();
}

std::size_t ReplaceFilesTogether(FileSystem& files, const std::vector<NewContent>& contents) {
  // Every content whole on the disk first; a failure here leaves every old
  // file as it was, and the temporary files go with their owners.
  std::vector<std::unique_ptr<StreamedReplacement>> outputs;
  std::vector<StreamedReplacement*> made;
  for (std::size_t i = 0; i < contents.size(); ++i) {
    outputs.push_back(StreamedReplacement::Begin(files, contents[i].path));
    if (!outputs.back()) return i;
    for (std::string_view part : contents[i].parts) outputs.back()->Write(part);
    if (!outputs.back()->Finish()) return i;
    made.push_back(outputs.back().get());
  }
  return CommitTogether(made);
}

}  // namespace tessaline
