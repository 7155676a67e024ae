#pragma once
// Copying the short texts a line is made of (a tag, a coordinate, a name)
// without a call per text: up to 32 bytes go as two loads and two stores
// that overlap, reading and writing nothing outside the text. Longer texts
// go to memcpy.

#include <cstddef>
#include <cstring>

namespace tessaline {

namespace short_copy_detail {
template <std::size_t kBytes>
inline void Move(char* to, const char* from) {
  char bytes[kBytes];
  std::memcpy(bytes, from, kBytes);
  std::memcpy(to, bytes, kBytes);
}
}  // namespace short_copy_detail

// Copies `size` bytes from `from` to `to` (which must not overlap) and
// returns the end of what was written.
inline char* CopyShort(char* to, const char* from, std::size_t size) {
  using short_copy_detail::Move;
  if (size >= 16 && size <= 32) {
    Move<16>(to, from);
    Move<16>(to + size - 16, from + size - 16);
  } else if (size >= 8 && size < 16) {
    Move<8>(to, from);
    Move<8>(to + size - 8, from + size - 8);
  } else if (size >= 4 && size < 8) {
    Move<4>(to, from);
    Move<4>(to + size - 4, from + size - 4);
  } else if (size < 4) {
    for (std::size_t k = 0; k < size; ++k) to[k] = from[k];
  } else {
    std::memcpy(to, from, size);
  }
  return to + size;
}

}  // namespace tessaline
