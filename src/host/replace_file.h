#pragma once
// Writing an output file so that it is never seen half-written, not even
// after a power cut: the whole content goes to a new file beside the target,
// which is put on the disk, then replaces the target in one rename, and the
// folder's new entry is put on the disk too. A symbolic link at the target's
// name is replaced itself, never followed: a rename through it would write
// wherever it points, in a folder the user never named (another user's link
// in a shared folder is refused before that, FileError::ForeignLink).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/file_system.h"

namespace tessaline {

// `readers` bounds what the group and others may do with every new file
// below (CreateTemporaryBeside): the permission bits of the file converted.

// The fault of the step that failed, if one did; the old file (if any) is
// then left unchanged and no temporary file remains.
FileStatus ReplaceFileWith(FileSystem& files, const std::string& path, std::string_view content,
                           std::uint32_t readers = 0777);

// The same with the content in several parts, written one after the other,
// so that a content gathered in pieces need not be copied into one.
FileStatus ReplaceFileWithParts(FileSystem& files, const std::string& path,
                                const std::vector<std::string_view>& parts, std::uint32_t readers = 0777);

// How a set of outputs replaced together ended.
struct ReplacedTogether {
  std::size_t failed;  // the count of outputs on success, else the one whose step failed
  FileStatus status;   // why it failed
};

// An output written as it is made, seen whole or not at all: the pieces go
// to a temporary file beside the target, which Commit() flushes and renames
// over the target. Destroyed without a Commit (a failure, a stop), it
// removes its temporary file. ReplaceFileWith and ReplaceFilesTogether are
// made of it.
class StreamedReplacement {
 public:
  // Fails when the temporary file cannot be made.
  static FileResult<std::unique_ptr<StreamedReplacement>> Begin(FileSystem& files, const std::string& path,
                                                               std::uint32_t readers = 0777);
  StreamedReplacement(const StreamedReplacement&) = delete;
  StreamedReplacement& operator=(const StreamedReplacement&) = delete;
  ~StreamedReplacement();

  // Fails when the data could not be stored; after a failure every later
  // step fails with the same fault.
  FileStatus Write(std::string_view data);
  // Puts what was written on the disk itself, so that it survives a power
  // cut once renamed (the long part of the end); fails when anything
  // written could not be stored. Commit() does it when it has not been done.
  FileStatus Finish();
  // Closes the file and renames it over the target, the ending signals held
  // back meanwhile. Fails when any step failed; the old file (if any) is
  // then unchanged.
  FileStatus Commit();

 private:
  friend ReplacedTogether CommitTogether(const std::vector<StreamedReplacement*>& outputs);
  StreamedReplacement(FileSystem& files, std::string target, std::string temp, std::unique_ptr<OutputFile> out);
  FileStatus Close();
  FileStatus Rename();

  FileSystem& files_;
  std::string target_, temp_;
  std::unique_ptr<OutputFile> out_;
  FileStatus status_;  // of the first step that failed
  bool finished_ = false, named_ = false, done_ = false;
};

// Commits outputs that belong together, each one Finish()ed already: every
// file is closed, and only then are they renamed over their targets, one
// right after the other, with the signals that end a program held back
// from the first close to the last rename, so that a new file never stays
// beside an old one. A failure before the first rename leaves every old
// file unchanged.
ReplacedTogether CommitTogether(const std::vector<StreamedReplacement*>& outputs);

// One file of a set replaced together: its path and its content in parts.
struct NewContent {
  std::string path;
  std::vector<std::string_view> parts;
};

// Replaces files that belong together (a track file and its waypoint file):
// every new content is first written whole and flushed beside its target,
// and only then are they committed together. A failure before the renames
// leaves every old file unchanged; no temporary file remains in any case.
ReplacedTogether ReplaceFilesTogether(FileSystem& files, const std::vector<NewContent>& contents,
                                      std::uint32_t readers = 0777);

}  // namespace tessaline
