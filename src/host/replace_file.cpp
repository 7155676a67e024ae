#include "host/replace_file.h"

#include "platform/path_names.h"

namespace tessaline {

FileStatus ReplaceFileWith(FileSystem& files, const std::string& path, std::string_view content) {
  return ReplaceFileWithParts(files, path, {content});
}

FileStatus ReplaceFileWithParts(FileSystem& files, const std::string& path,
                                const std::vector<std::string_view>& parts) {
  auto out = StreamedReplacement::Begin(files, path);
  if (!out) return out.fault();
  for (std::string_view part : parts) (*out)->Write(part);
  return (*out)->Commit();
}

FileResult<std::unique_ptr<StreamedReplacement>> StreamedReplacement::Begin(FileSystem& files,
                                                                           const std::string& path) {
  std::string target = files.ResolveLinks(path);
  std::string temp;
  auto out = files.CreateTemporaryBeside(target, temp);
  if (!out) return out.fault();
  return std::unique_ptr<StreamedReplacement>(
      new StreamedReplacement(files, std::move(target), std::move(temp), std::move(*out)));
}

StreamedReplacement::StreamedReplacement(FileSystem& files, std::string target, std::string temp,
                                         std::unique_ptr<OutputFile> out)
    : files_(files), target_(std::move(target)), temp_(std::move(temp)), out_(std::move(out)) {}

StreamedReplacement::~StreamedReplacement() {
  if (done_) return;
  out_.reset();
  files_.Remove(temp_);
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
  if (!out_->Close() && status_) status_ = files_.LastFault();
  out_.reset();
  return status_;
}

FileStatus StreamedReplacement::Commit() {
  if (const FileStatus finished = Finish(); !finished) return finished;
  if (const FileStatus renamed = files_.Rename(temp_, target_); !renamed) return renamed;
  done_ = true;
  // The new file is complete on the disk whatever happens to its folder's
  // entry; a folder that cannot be flushed (some network file systems)
  // leaves at worst the old file, so it does not fail the write.
  files_.SyncFolder(FolderOfPath(target_));
  return {};
}

ReplacedTogether ReplaceFilesTogether(FileSystem& files, const std::vector<NewContent>& contents) {
  // Every content whole on the disk first; a failure here leaves every old
  // file as it was, and the temporary files go with their owners.
  std::vector<std::unique_ptr<StreamedReplacement>> outputs;
  for (std::size_t i = 0; i < contents.size(); ++i) {
    auto begun = StreamedReplacement::Begin(files, contents[i].path);
    if (!begun) return {i, begun.fault()};
    outputs.push_back(std::move(*begun));
    for (std::string_view part : contents[i].parts) outputs.back()->Write(part);
    if (const FileStatus finished = outputs.back()->Finish(); !finished) return {i, finished};
  }
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (const FileStatus committed = outputs[i]->Commit(); !committed) return {i, committed};
  }
  return {contents.size(), {}};
}

}  // namespace tessaline
