#pragma once
// A stream over a text that hands it out in pieces of a chosen size, so
// that what a reader looks for can straddle two reads; optionally it fails
// after some reads.

#include <algorithm>
#include <string>

#include "host/file_system.h"

namespace tessaline {

class PieceStream : public InputStream {
 public:
  PieceStream(std::string text, std::size_t piece, int fail_after = -1)
      : text_(std::move(text)), piece_(piece), fail_after_(fail_after) {}
  std::ptrdiff_t Read(char* buffer, std::size_t size) override {
    if (fail_after_ >= 0 && reads_++ >= fail_after_) return -1;
    const std::size_t n = std::min({size, piece_, text_.size() - at_});
    text_.copy(buffer, n, at_);
    at_ += n;
    return static_cast<std::ptrdiff_t>(n);
  }

 private:
  std::string text_;
  std::size_t piece_;
  std::size_t at_ = 0;
  int fail_after_;
  int reads_ = 0;
};

}  // namespace tessaline
