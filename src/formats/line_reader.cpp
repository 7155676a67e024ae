#include "formats/line_reader.h"

#include <cstring>

namespace tessaline {

LineReader::LineReader(InputStream& input, std::size_t chunk_size)
    : input_(input), chunk_size_(chunk_size == 0 ? 1 : chunk_size) {}

bool LineReader::Fill() {
  if (at_end_ || failed_) return false;
  // Drop what earlier lines used before growing the buffer.
  if (start_ > 0) {
    buffer_.erase(0, start_);
    scan_ -= start_;
    start_ = 0;
  }
  const std::size_t old_size = buffer_.size();
  buffer_.resize(old_size + chunk_size_);
  const std::ptrdiff_t n = input_.Read(buffer_.data() + old_size, chunk_size_);
  if (n < 0) {
    buffer_.resize(old_size);
    failed_ = true;
    return false;
  }
  buffer_.resize(old_size + static_cast<std::size_t>(n));
  if (n == 0) {
    at_end_ = true;
    return false;
  }
  return true;
}

bool LineReader::Next(std::string_view& line) {
  for (;;) {
    if (failed_) return false;
    const char* begin = buffer_.data();
    const void* cr = scan_ < buffer_.size()
                         ? std::memchr(begin + scan_, '\r', buffer_.size() - scan_)
                         : nullptr;
    if (cr) {
      const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(cr) - begin);
      if (at + 1 == buffer_.size() && !at_end_) {
        // A CR at the end of the buffer: its LF may be in the next chunk.
        scan_ = at;
        if (!Fill() && failed_) return false;
        continue;
      }
      std::size_t end = at + 1;
      if (end < buffer_.size() && buffer_[end] == '\n') ++end;
      line = std::string_view(buffer_.data() + start_, at - start_);
      consumed_ += end - start_;
      start_ = scan_ = end;
      return true;
    }
    scan_ = buffer_.size();
    if (Fill()) continue;
    if (failed_) return false;
    if (start_ < buffer_.size()) {  // last line without an end
      line = std::string_view(buffer_.data() + start_, buffer_.size() - start_);
      consumed_ += buffer_.size() - start_;
      start_ = scan_ = buffer_.size();
      return true;
    }
    return false;
  }
}

}  // namespace tessaline
