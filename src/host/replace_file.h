#pragma once
// Writing an output file so that it is never seen half-written, not even
// after a power cut: the whole content goes to a new file beside the target,
// which is put on the disk, then replaces the target in one rename, and the
// folder's new entry is put on the disk too. A symbolic link is followed: its
// target is replaced and the link stays.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/file_system.h"

namespace tessaline {

// The fault of the step that failed, if one did; the old file (if any) is
// then left unchanged and no temporary file remains.
FileStatus ReplaceFileWith(FileSystem& files, const std::string& path, std::string_view content);

// The same with the content in several parts, written one after the other,
// so that a content gathered in pieces need not be copied into one.
FileStatus ReplaceFileWithParts(FileSystem& files, const std::string& path,
                                const std::vector<std::string_view>& parts);

// An output written as it is made, seen whole or not at all: the pieces go
// to a temporary file beside the target, which Commit() flushes and renames
// over the target. Destroyed without a Commit (a failure, a stop), it
// removes its temporary file. ReplaceFileWith and ReplaceFilesTogether are
// made of it.
class StreamedReplacement {
 public:
  // Fails when the temporary file cannot be made.
  static FileResult<std::unique_ptr<StreamedReplacement>> Begin(FileSystem& files, const std::string& path);
  StreamedReplacement(const StreamedReplacement&) = delete;
  StreamedReplacement& operator=(const StreamedReplacement&) = delete;
  ~StreamedReplacement();

  // Fails when the data could not be stored; after a failure every later
  // step fails with the same fault.
  FileStatus Write(std::string_view data);
  // Puts what was written on the disk itself and closes the file, so that
  // it survives a power cut once renamed; fails when anything written could
  // not be stored. Commit() does it when it has not been done.
  FileStatus Finish();
  // Fails when any step failed; the old file (if any) is then unchanged.
  FileStatus Commit();

 private:
  StreamedReplacement(FileSystem& files, std::string target, std::string temp, std::unique_ptr<OutputFile> out);

  FileSystem& files_;
  std::string target_, temp_;
  std::unique_ptr<OutputFile> out_;
  FileStatus status_;  // of the first step that failed
  bool finished_ = false, done_ = false;
};

// One file of a set replaced together: its path and its content in parts.
struct NewContent {
  std::string path;
  std::vector<std::string_view> parts;
};

// Replaces files that belong together (a track file and its waypoint file):
// every new content is first written whole and flushed beside its target,
// and only then are they renamed over their targets, one right after the
// other. A failure before the renames leaves every old file unchanged; no
// temporary file remains in any case.
struct ReplacedTogether {
  std::size_t failed;  // contents.size() on success, else the content whose step failed
  FileStatus status;   // why it failed
};
ReplacedTogether ReplaceFilesTogether(FileSystem& files, const std::vector<NewContent>& contents);

}  // namespace tessaline
