#pragma once
// Device and chart files are 8-bit text, yet editors save them with a
// byte-order mark, in UTF-8, UTF-16 or UTF-32. This stream reads another
// and tells the encoding by its mark: a marked file is handed on as UTF-8
// without its mark, so that the line rules meet the characters, not the
// bytes; a file without a mark passes unchanged, byte for byte.

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/file_system.h"

namespace tessaline {

enum class TextEncoding { EightBit, Utf8, Utf16Le, Utf16Be, Utf32Le, Utf32Be };

class UnicodeTextStream final : public InputStream {
 public:
  // Which marked encodings are decoded. GPX leaves UTF-8 and UTF-16 to its
  // XML reader, which reads them with their marks; only UTF-32 needs us.
  enum class Decode { EveryMark, Utf32Only };

  explicit UnicodeTextStream(InputStream& raw, Decode decode = Decode::EveryMark)
      : raw_(raw), decode_(decode) {}

  std::ptrdiff_t Read(char* buffer, std::size_t size) override;

  // The encoding its mark gives, read from the input on the first call
  // (EightBit when the mark is not decoded). False on a read failure.
  bool Detect();
  TextEncoding Encoding() const { return encoding_; }
  // Whether the text handed on differs from the input's bytes.
  bool Decoded() const { return encoding_ != TextEncoding::EightBit; }

  // The input's bytes the first `handed` bytes of the text came from: exact
  // for text passed on, in proportion for decoded text (for a percentage).
  std::uint64_t InputOffset(std::uint64_t handed) const;

 private:
  bool FillDecoded();  // decodes one more block; false at the end or on failure
  void DecodeUnits(bool at_end);

  InputStream& raw_;
  Decode decode_;
  bool detected_ = false, failed_ = false, raw_end_ = false;
  TextEncoding encoding_ = TextEncoding::EightBit;
  std::size_t mark_size_ = 0;
  std::string pending_;         // bytes read and not yet handed on
  std::size_t pending_at_ = 0;
  std::string units_;           // input bytes not yet decoded (a unit cut by a block)
  std::uint64_t raw_read_ = 0, decoded_ = 0;
};

}  // namespace tessaline
