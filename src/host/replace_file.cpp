#include "host/replace_file.h"

#include "platform/deferred_signals.h"
#include "platform/path_names.h"

namespace tessaline {

FileStatus ReplaceFileWith(FileSystem& files, const std::string& path, std::string_view content,
                           std::uint32_t readers) {
  return ReplaceFileWithParts(files, path, {content}, readers);
}

FileStatus ReplaceFileWithParts(FileSystem& files, const std::string& path,
                                const std::vector<std::string_view>& parts, std::uint32_t readers) {
  auto out = StreamedReplacement::Begin(files, path, readers);
  if (!out) return out.fault();
  for (std::string_view part : parts) (*out)->Write(part);
  return (*out)->Commit();
}

FileResult<std::unique_ptr<StreamedReplacement>> StreamedReplacement::Begin(FileSystem& files,
                                                                           const std::string& path,
                                                                           std::uint32_t readers) {
  std::string target = path;
  std::string temp;
  auto out = files.CreateTemporaryBeside(target, temp, readers);
  if (!out) return out.fault();
  return std::unique_ptr<StreamedReplacement>(
      new StreamedReplacement(files, std::move(target), std::move(temp), std::move(*out)));
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

FileStatus StreamedReplacement::Write(std::string_view data) {
  // The file's own calls tell why through the file system, asked at once.
  if (status_ && !out_->Write(data)) status_ = files_.LastFault();
  return status_;
}

FileStatus StreamedReplacement::Finish() {
  // Without the flush before the rename, some file systems put the rename on
  // the disk first: after a power cut the output would be empty and the old
  // file gone.
  if (finished_) return status_;
  finished_ = true;
  if (status_ && !out_->Sync()) status_ = files_.LastFault();
  return status_;
}

// Closing gives a file made without a name its name: done last, right
// before the rename, so that a run killed meanwhile leaves as little as it can.
FileStatus StreamedReplacement::Close() {
  if (const FileStatus finished = Finish(); !finished) return finished;
  if (!out_) return status_;
  if (!out_->Close() && status_) status_ = files_.LastFault();
  named_ = out_->HasName();
  out_.reset();
  return status_;
}

FileStatus StreamedReplacement::Rename() {
  if (!status_) return status_;
  if (const FileStatus renamed = files_.Rename(temp_, target_); !renamed) return renamed;
  done_ = true;
  // The new file is complete on the disk whatever happens to its folder's
  // entry; a folder that cannot be flushed (some network file systems)
  // leaves at worst the old file, so it does not fail the write.
  files_.SyncFolder(FolderOfPath(target_));
  return {};
}

FileStatus StreamedReplacement::Commit() { return CommitTogether({this}).status; }

ReplacedTogether CommitTogether(const std::vector<StreamedReplacement*>& outputs) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (const FileStatus finished = outputs[i]->Finish(); !finished) return {i, finished};
  }
  const platform::DeferredSignals deferred;
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (const FileStatus closed = outputs[i]->Close(); !closed) return {i, closed};
  }
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (const FileStatus renamed = outputs[i]->Rename(); !renamed) return {i, renamed};
  }
  return {outputs.size(), {}};
}

ReplacedTogether ReplaceFilesTogether(FileSystem& files, const std::vector<NewContent>& contents,
                                      std::uint32_t readers) {
  // Every content whole on the disk first; a failure here leaves every old
  // file as it was, and the temporary files go with their owners.
  std::vector<std::unique_ptr<StreamedReplacement>> outputs;
  std::vector<StreamedReplacement*> made;
  for (std::size_t i = 0; i < contents.size(); ++i) {
    auto begun = StreamedReplacement::Begin(files, contents[i].path, readers);
    if (!begun) return {i, begun.fault()};
    outputs.push_back(std::move(*begun));
    for (std::string_view part : contents[i].parts) outputs.back()->Write(part);
    if (const FileStatus finished = outputs.back()->Finish(); !finished) return {i, finished};
    made.push_back(outputs.back().get());
  }
  return CommitTogether(made);
}

}  // namespace tessaline
