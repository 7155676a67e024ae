#include "formats/gpx/xml_start.h"

#include <array>
#include <cstdint>
#include <string>

namespace tessaline::gpx {

namespace {

enum class Units { Byte, Utf16Le, Utf16Be, Utf32Le, Utf32Be };

bool IsBlank(std::uint32_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A character that may start an XML name: a letter, "_", ":" or anything
// beyond ASCII (where every non-ASCII letter lies).
bool StartsName(std::uint32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}

// The stream read one code unit at a time.
class CodeUnits {
 public:
  explicit CodeUnits(InputStream& input) : input_(input) {}

  // The next byte, or -1 at the end or on a read failure.
  int Byte() {
    if (at_ == size_) {
      const std::ptrdiff_t n = input_.Read(buffer_.data(), buffer_.size());
      failed_ = failed_ || n < 0;
      if (n <= 0) return -1;
      size_ = static_cast<std::size_t>(n);
      at_ = 0;
    }
    return static_cast<unsigned char>(buffer_[at_++]);
  }

  // The next code unit in `units`, or -1.
  std::int64_t Unit(Units units) {
    const int first = Byte();
    if (first < 0 || units == Units::Byte) return first;
    const int width = units == Units::Utf32Le || units == Units::Utf32Be ? 4 : 2;
    const bool little = units == Units::Utf16Le || units == Units::Utf32Le;
    std::int64_t value = first;
    for (int k = 1; k < width; ++k) {
      const int next = Byte();
      if (next < 0) return -1;
      value = little ? value | (static_cast<std::int64_t>(next) << (8 * k)) : (value << 8) | next;
    }
    return value;
  }

 private:
  InputStream& input_;
  std::array<char, 4096> buffer_{};
  std::size_t size_ = 0, at_ = 0;
  bool failed_ = false;

 public:
  bool Failed() const { return failed_; }
};

bool Starts(CodeUnits& stream) {
  const int b0 = stream.Byte();
  const int b1 = stream.Byte();
  if (b0 < 0 || b1 < 0) return false;
  Units units = Units::Byte;
  std::int64_t c = -1;
  if (b0 == 0xFF && b1 == 0xFE) {
    // UTF-32's mark starts as UTF-16's; two zero bytes follow it.
    const std::int64_t unit = stream.Unit(Units::Utf16Le);
    if (unit < 0) return false;
    units = unit == 0 ? Units::Utf32Le : Units::Utf16Le;
    if (unit != 0) c = unit;
  } else if (b0 == 0 && b1 == 0) {
    if (stream.Byte() != 0xFE || stream.Byte() != 0xFF) return false;
    units = Units::Utf32Be;
  } else if (b0 == 0xFE && b1 == 0xFF) {
    units = Units::Utf16Be;
  } else if (b0 == 0xEF && b1 == 0xBB) {
    if (stream.Byte() != 0xBF) return false;
  } else if (b1 == 0 && b0 != 0) {
    units = Units::Utf16Le;  // UTF-16 without its mark: "<" then a zero byte
    c = b0;
  } else if (b0 == 0 && b1 != 0) {
    units = Units::Utf16Be;
    c = b1;
  } else {
    // Two single bytes: look at them before reading on.
    if (b0 == '<') return b1 == '?' || b1 == '!' || StartsName(static_cast<std::uint32_t>(b1));
    if (!IsBlank(static_cast<std::uint32_t>(b0))) return false;
    c = b1;
  }
  if (c < 0) c = stream.Unit(units);
  while (c >= 0 && IsBlank(static_cast<std::uint32_t>(c))) c = stream.Unit(units);
  if (c != '<') return false;
  const std::int64_t next = stream.Unit(units);
  return next == '?' || next == '!' || (next >= 0 && StartsName(static_cast<std::uint32_t>(next)));
}

}  // namespace

std::optional<bool> StartsAsXml(InputStream& input) {
  CodeUnits stream(input);
  const bool xml = Starts(stream);
  if (stream.Failed()) return std::nullopt;
  return xml;
}

}  // namespace tessaline::gpx
