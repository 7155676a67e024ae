#include "host/replace_file.h"

#include "platform/path_names.h"

namespace tessaline {

bool ReplaceFileWith(FileSystem& files, const std::string& path, std::string_view content) {
  return ReplaceFileWithParts(files, path, {content});
}

bool ReplaceFileWithParts(FileSystem& files, const std::string& path,
                          const std::vector<std::string_view>& parts) {
  const std::string target = files.ResolveLinks(path);
  std::string temp_path;
  auto out = files.CreateTemporaryBeside(target, temp_path);
  if (!out) return false;
  bool written = true;
  for (std::string_view part : parts) written = written && out->Write(part);
  // Without the flush before the rename, some file systems put the rename on
  // the disk first: after a power cut the output would be empty and the old
  // file gone.
  written = written && out->Sync();
  const bool closed = out->Close();
  if (written && closed && files.Rename(temp_path, target)) {
    // The new file is complete on the disk whatever happens to its folder's
    // entry; a folder that cannot be flushed (some network file systems)
    // leaves at worst the old file, so it does not fail the write.
    files.SyncFolder(FolderOfPath(target));
    return true;
  }
  files.Remove(temp_path);
  return false;
}

std::unique_ptr<StreamedReplacement> StreamedReplacement::Begin(FileSystem& files, const std::string& path) {
  std::string target = files.ResolveLinks(path);
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
  out_.reset();
  files_.Remove(temp_);
}

bool StreamedReplacement::Write(std::string_view data) {
  ok_ = ok_ && out_->Write(data);
  return ok_;
}

bool StreamedReplacement::Commit() {
  // As ReplaceFileWithParts: flushed before the rename, the folder after.
  bool written = ok_ && out_->Sync();
  written = out_->Close() && written;
  out_.reset();
  if (written && files_.Rename(temp_, target_)) {
    done_ = true;
    files_.SyncFolder(FolderOfPath(target_));
    return true;
  }
  return false;
}

std::size_t ReplaceFilesTogether(FileSystem& files, const std::vector<NewContent>& contents) {
  if (contents.size() == 1) return ReplaceFileWithParts(files, contents[0].path, contents[0].parts) ? 1 : 0;
  std::vector<std::string> targets, temps;
  auto remove_temps = [&](std::size_t from) {
    for (std::size_t k = from; k < temps.size(); ++k) files.Remove(temps[k]);
  };
  for (std::size_t i = 0; i < contents.size(); ++i) {
    targets.push_back(files.ResolveLinks(contents[i].path));
    std::string temp_path;
    auto out = files.CreateTemporaryBeside(targets.back(), temp_path);
    if (!out) {
      remove_temps(0);
      return i;
    }
    temps.push_back(temp_path);
    bool written = true;
    for (std::string_view part : contents[i].parts) written = written && out->Write(part);
    written = written && out->Sync();
    if (!out->Close() || !written) {
      remove_temps(0);
      return i;
    }
  }
  for (std::size_t i = 0; i < contents.size(); ++i) {
    if (!files.Rename(temps[i], targets[i])) {
      remove_temps(i);
      return i;
    }
  }
  for (const std::string& target : targets) files.SyncFolder(FolderOfPath(target));
  return contents.size();
}

}  // namespace tessaline
