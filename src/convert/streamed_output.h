#pragma once
// An output written as it is made: the text a conversion appends goes in
// blocks to a temporary file beside the output, which replaces the output
// whole at step 4 (ReplaceStreamedOutputs). Memory stays one block whatever
// the size of the output. Without `streaming` (an output that a reduction
// may still cut) the text is kept whole and written at step 4 in one piece.
// A failure to write is told at step 4, where writing the whole output at
// once would have met it, so that a refusal of the input read after it
// still comes first; a failure or a stop before the end leaves no temporary
// file and the old output as it was.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/file_system.h"
#include "host/replace_file.h"

namespace tessaline {

// What an output's bytes go through on their way to its file (a KMZ
// archive's compression): each piece of the text as it is written, then
// the end; `write` puts bytes in the file.
class OutputFilter {
 public:
  using Write = std::function<void(std::string_view)>;
  virtual ~OutputFilter() = default;
  virtual void Add(std::string_view text, const Write& write) = 0;
  virtual void End(const Write& write) = 0;
};

class StreamedOutput {
 public:
  static constexpr std::size_t kBlock = std::size_t{1} << 20;

  // `readers`: the permission bits of the file converted, which bound the
  // output's (CreateTemporaryBeside).
  StreamedOutput(FileSystem& files, std::string path, bool streaming, std::uint32_t readers = 0777);

  // Appended to by the conversion; what it holds is not written yet.
  std::string text;
  // Written before the first of `text`: what an output gathered whole puts
  // first once everything is known (a GPX document's head and waypoints).
  std::string lead;

  // Writes `text` out once it holds a whole block.
  void Flow() {
    if (streaming_ && text.size() >= kBlock) WriteText();
  }

  // Writes out what `text` holds and gives its memory back: an output
  // that is complete (a part of a split, the next one begun) keeps none.
  void Settle() {
    if (streaming_ && !text.empty()) WriteText();
    std::string().swap(text);
  }

  const std::string& Path() const { return path_; }
  bool Streaming() const { return streaming_; }
  // From now on every byte goes through `filter` (before the first is written).
  void SetFilter(std::unique_ptr<OutputFilter> filter) { filter_ = std::move(filter); }

 private:
  friend void ReplaceStreamedOutputs(FileSystem&, const std::vector<StreamedOutput*>&, const FileIdentity&);
  void WriteText();
  // The replacement made with the first block, `lead` written first, or why
  // either could not be.
  FileStatus Begun();
  // Writes what is left and puts the file on the disk beside the output,
  // ready to be committed; throws the first failure met since the output began.
  void Seal();
  // `data` to the file, through the filter if there is one.
  FileStatus Put(std::string_view data);

  FileSystem& files_;
  std::string path_;
  bool streaming_;
  std::uint32_t readers_;
  std::unique_ptr<StreamedReplacement> out_;  // made with the first block
  std::unique_ptr<OutputFilter> filter_;
  std::optional<FileFault> fault_;           // of the first write that failed
};

// Step 4 for outputs written as they were made: each name is checked again
// (it may have become a link to the input meanwhile), every output is put
// whole on the disk, and only then are they renamed over their targets,
// one after the other. Throws ConversionFailure naming the output that
// failed.
void ReplaceStreamedOutputs(FileSystem& files, const std::vector<StreamedOutput*>& outputs,
                            const FileIdentity& input);

}  // namespace tessaline
