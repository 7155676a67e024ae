#include "formats/line_reader.h"

#include <algorithm>
#include <cstring>

namespace tessaline {

LineReader::LineReader(InputStream& input, std::size_t chunk_size, LineEnds ends)
    : input_(input), chunk_size_(chunk_size == 0 ? 1 : chunk_size), any_end_(ends == LineEnds::Any) {}

bool LineReader::Fill() {
  if (at_end_ || failed_) return false;
  // Drop what earlier lines used before growing the buffer.
  if (start_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + start_, size_ - start_);
    size_ -= start_;
    scan_ -= start_;
    start_ = 0;
  }
  if (capacity_ - size_ < chunk_size_) {
    // A line longer than the chunks read so far: room for one more chunk.
    const std::size_t capacity = std::max(size_ + chunk_size_, capacity_ * 2);
    auto grown = std::make_unique_for_overwrite<char[]>(capacity);
    if (size_ > 0) std::memcpy(grown.get(), buffer_.get(), size_);
    buffer_ = std::move(grown);
    capacity_ = capacity;
  }
  const std::ptrdiff_t n = input_.Read(buffer_.get() + size_, chunk_size_);
  if (n < 0) {
    failed_ = true;
    return false;
  }
  size_ += static_cast<std::size_t>(n);
  if (n == 0) {
    at_end_ = true;
    return false;
  }
  return true;
}

void LineReader::FindLineEnds() {
  ends_known_ = true;
  std::size_t looked = 0;
  for (;;) {
    if (looked < size_ && std::memchr(buffer_.get() + looked, '\r', size_ - looked)) return;
    looked = size_;
    if (!Fill()) break;
  }
  lf_only_ = !failed_ && size_ > 0 && std::memchr(buffer_.get(), '\n', size_) != nullptr;
}

bool LineReader::LastLine(std::string_view& line) {
  if (start_ == size_) return false;
  line = std::string_view(buffer_.get() + start_, size_ - start_);
  consumed_ += size_ - start_;
  start_ = scan_ = size_;
  return true;
}

bool LineReader::NextAtAnyEnd(std::string_view& line) {
  for (;;) {
    if (failed_) return false;
    const char* begin = buffer_.get();
    // The next LF is looked for once and kept: in a file of lone CRs, a
    // search from each line would pass over the whole chunk every time.
    if (!lf_known_ || (lf_ < scan_ && lf_ != size_)) {
      const void* lf = scan_ < size_ ? std::memchr(begin + scan_, '\n', size_ - scan_) : nullptr;
      lf_ = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - begin) : size_;
      lf_known_ = true;
    }
    const void* cr = lf_ > scan_ ? std::memchr(begin + scan_, '\r', lf_ - scan_) : nullptr;
    const std::size_t at = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - begin) : lf_;
    if (at < size_) {
      if (begin[at] == '\r' && at + 1 == size_ && !at_end_) {
        // Its LF may be in the next chunk.
        scan_ = at;
        lf_known_ = false;
        if (!Fill() && failed_) return false;
        continue;
      }
      std::size_t end = at + 1;
      if (begin[at] == '\r' && end < size_ && begin[end] == '\n') ++end;
      line = std::string_view(begin + start_, at - start_);
      consumed_ += end - start_;
      start_ = scan_ = end;
      return true;
    }
    scan_ = size_;
    lf_known_ = false;
    if (Fill()) continue;
    if (failed_) return false;
    return LastLine(line);
  }
}

bool LineReader::Next(std::string_view& line) {
  if (any_end_) return NextAtAnyEnd(line);
  if (!ends_known_) FindLineEnds();
  if (lf_only_) {
    if (failed_ || start_ == size_) return false;  // the whole input is in the buffer
    const char* begin = buffer_.get() + start_;
    const void* lf = std::memchr(begin, '\n', size_ - start_);
    const std::size_t length = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - begin) : size_ - start_;
    line = std::string_view(begin, length);
    const std::size_t end = lf ? length + 1 : length;
    consumed_ += end;
    start_ += end;
    return true;
  }
  for (;;) {
    if (failed_) return false;
    const char* begin = buffer_.get();
    const void* cr = scan_ < size_ ? std::memchr(begin + scan_, '\r', size_ - scan_) : nullptr;
    if (cr) {
      const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(cr) - begin);
      if (at + 1 == size_ && !at_end_) {
        // A CR at the end of the buffer: its LF may be in the next chunk.
        scan_ = at;
        if (!Fill() && failed_) return false;
        continue;
      }
      std::size_t end = at + 1;
      if (end < size_ && begin[end] == '\n') ++end;
      line = std::string_view(begin + start_, at - start_);
      consumed_ += end - start_;
      start_ = scan_ = end;
      return true;
    }
    scan_ = size_;
    if (Fill()) continue;
    if (failed_) return false;
    return LastLine(line);
  }
}

}  // namespace tessaline
