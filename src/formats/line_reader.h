#pragma once
// Line reading shared by both file families: CR LF or a lone CR ends a line,
// a lone LF stays part of the line, the last line may lack its end. A file
// with no CR at all (made on Linux or macOS) is read at its LFs instead:
// the reader looks ahead to the first CR before it hands out a line. Reads
// the stream in large chunks, so there is no system call per line.
// A log of sentences (NMEA) ends its lines at CR LF, LF or CR alike, and is
// read at each of them without looking ahead (LineEnds::Any).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "host/file_system.h"

namespace tessaline {

enum class LineEnds { CrOrLfOnlyFile, Any };

class LineReader {
 public:
  explicit LineReader(InputStream& input, std::size_t chunk_size = 256 * 1024,
                      LineEnds ends = LineEnds::CrOrLfOnlyFile);

  // The next line without its end, valid until the next call. False at the
  // end of the input or when a read failed (then Failed() is true).
  bool Next(std::string_view& line);

  bool Failed() const { return failed_; }
  // Bytes taken from the input for the lines returned so far, line ends included.
  std::uint64_t BytesConsumed() const { return consumed_; }
  // Whether the lines end at LFs, the input holding LFs and no CR (known
  // once the first line is out).
  bool LfOnly() const { return lf_only_; }

 private:
  bool Fill();  // appends one chunk; false at the end or on failure
  void FindLineEnds();  // reads ahead to the first CR, or to the end
  bool NextAtAnyEnd(std::string_view& line);
  bool LastLine(std::string_view& line);  // the rest, a last line without an end

  InputStream& input_;
  std::size_t chunk_size_;
  // The bytes read and not yet handed out, from start_ on. Not a string: a
  // string would clear every chunk before the read fills it.
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0, size_ = 0;
  std::size_t start_ = 0;  // first byte of the next line in buffer_
  std::size_t scan_ = 0;   // where the search for a CR resumes
  bool at_end_ = false;
  bool failed_ = false;
  bool ends_known_ = false, lf_only_ = false;
  bool any_end_ = false;
  bool lf_known_ = false;  // lf_ is the next LF from scan_ on, or size_ for none
  std::size_t lf_ = 0;
  std::uint64_t consumed_ = 0;
};

}  // namespace tessaline
