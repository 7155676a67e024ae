#include "formats/unicode_text_stream.h"

#include <algorithm>
#include <cstring>

#include "platform/utf8.h"

namespace tessaline {

namespace {

constexpr std::size_t kBlock = 64 * 1024;
constexpr char32_t kReplacement = 0xFFFD;

struct Mark {
  TextEncoding encoding;
  std::string_view bytes;
  bool utf32;
};

// UTF-32 LE before UTF-16 LE: its mark begins with the other's.
constexpr Mark kMarks[] = {
    {TextEncoding::Utf32Le, {"\xFF\xFE\0\0", 4}, true},
    {TextEncoding::Utf32Be, {"\0\0\xFE\xFF", 4}, true},
    {TextEncoding::Utf8, "\xEF\xBB\xBF", false},
    {TextEncoding::Utf16Le, "\xFF\xFE", false},
    {TextEncoding::Utf16Be, "\xFE\xFF", false},
};

bool IsUtf32(TextEncoding encoding) {
  return encoding == TextEncoding::Utf32Le || encoding == TextEncoding::Utf32Be;
}

}  // namespace

bool UnicodeTextStream::Detect() {
  if (detected_) return !failed_;
  detected_ = true;
  char start[4];
  std::size_t size = 0;
  while (size < sizeof start) {
    const std::ptrdiff_t n = raw_.Read(start + size, sizeof start - size);
    if (n < 0) {
      failed_ = true;
      return false;
    }
    if (n == 0) {
      raw_end_ = true;
      break;
    }
    size += static_cast<std::size_t>(n);
  }
  raw_read_ = size;
  const std::string_view head(start, size);
  for (const Mark& mark : kMarks) {
    if (!head.starts_with(mark.bytes) || (decode_ == Decode::Utf32Only && !mark.utf32)) continue;
    encoding_ = mark.encoding;
    mark_size_ = mark.bytes.size();
    break;
  }
  const std::string_view rest = head.substr(mark_size_);
  if (encoding_ == TextEncoding::EightBit || encoding_ == TextEncoding::Utf8) {
    pending_.assign(rest);
  } else {
    units_.assign(rest);
  }
  return true;
}

std::ptrdiff_t UnicodeTextStream::Read(char* buffer, std::size_t size) {
  if (!Detect()) return -1;
  if (size == 0) return 0;
  if (pending_at_ == pending_.size()) {
    if (encoding_ == TextEncoding::EightBit || encoding_ == TextEncoding::Utf8) {
      if (raw_end_) return 0;
      return raw_.Read(buffer, size);  // passed on as it is
    }
    if (!FillDecoded()) return failed_ ? -1 : 0;
  }
  const std::size_t n = std::min(size, pending_.size() - pending_at_);
  std::memcpy(buffer, pending_.data() + pending_at_, n);
  pending_at_ += n;
  return static_cast<std::ptrdiff_t>(n);
}

bool UnicodeTextStream::FillDecoded() {
  pending_.clear();
  pending_at_ = 0;
  while (pending_.empty()) {
    if (raw_end_) {
      DecodeUnits(true);
      return !pending_.empty();
    }
    const std::size_t had = units_.size();
    units_.resize(had + kBlock);
    const std::ptrdiff_t n = raw_.Read(units_.data() + had, kBlock);
    if (n < 0) {
      failed_ = true;
      return false;
    }
    units_.resize(had + static_cast<std::size_t>(n));
    raw_read_ += static_cast<std::uint64_t>(n);
    raw_end_ = n == 0;
    DecodeUnits(raw_end_);
  }
  return true;
}

void UnicodeTextStream::DecodeUnits(bool at_end) {
  const bool utf32 = IsUtf32(encoding_);
  const bool big = encoding_ == TextEncoding::Utf16Be || encoding_ == TextEncoding::Utf32Be;
  const std::size_t width = utf32 ? 4 : 2;
  const auto* bytes = reinterpret_cast<const unsigned char*>(units_.data());
  const auto unit = [&](std::size_t at) {
    char32_t value = 0;
    for (std::size_t k = 0; k < width; ++k) {
      const char32_t byte = bytes[at + (big ? k : width - 1 - k)];
      value = (value << 8) | byte;
    }
    return value;
  };
  const std::size_t before = pending_.size();
  std::size_t at = 0;
  while (at + width <= units_.size()) {
    char32_t c = unit(at);
    std::size_t used = width;
    if (!utf32 && c >= 0xD800 && c <= 0xDBFF) {
      // A high surrogate wants its low one, which may be in the next block.
      if (at + 2 * width > units_.size()) {
        if (!at_end) break;
        c = kReplacement;
      } else if (const char32_t low = unit(at + width); low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        used = 2 * width;
      } else {
        c = kReplacement;
      }
    } else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
      c = kReplacement;
    }
    AppendUtf8(pending_, c);
    at += used;
  }
  units_.erase(0, at);
  // Bytes too few for a unit at the very end: a character cut short.
  if (at_end && !units_.empty()) {
    AppendUtf8(pending_, kReplacement);
    units_.clear();
  }
  decoded_ += pending_.size() - before;
}

std::uint64_t UnicodeTextStream::InputOffset(std::uint64_t handed) const {
  if (encoding_ == TextEncoding::EightBit || encoding_ == TextEncoding::Utf8) return handed + mark_size_;
  if (decoded_ == 0) return mark_size_;
  const double share = static_cast<double>(handed) / static_cast<double>(decoded_);
  return mark_size_ + static_cast<std::uint64_t>(share * static_cast<double>(raw_read_ - mark_size_));
}

}  // namespace tessaline
