#include "formats/gpx/gpx_model.h"

#include <algorithm>
#include <bit>
#include <charconv>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "formats/coordinate_notation.h"
#include "formats/number_reader.h"

namespace tessaline::gpx {

std::string_view PointValue(RunKind kind, const std::optional<std::string_view>& extension,
                            const std::optional<std::string_view>& elevation) {
  if (extension) return *extension;
  if (elevation) return *elevation;
  return kind == RunKind::Waypoint ? kNoValue : kTrackPointValue;
}

std::uint16_t GroupOfRun(std::uint64_t run) {
  return static_cast<std::uint16_t>((run - 1) % kMaxGroup + 1);
}

std::optional<double> ReadGpxDecimal(std::string_view text) {
  text = TrimXmlBlanks(text);
  // An XML decimal may start with "+" or with its "."; the plain reading
  // takes neither, so "+" goes and a "0" comes before a leading ".".
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  if (text.find_first_of("0123456789") == std::string_view::npos) return std::nullopt;
  std::string with_zero;
  if (text.front() == '.' || (text.front() == '-' && text.size() > 1 && text[1] == '.')) {
    with_zero.assign(text);
    with_zero.insert(with_zero.front() == '-' ? 1 : 0, 1, '0');
    text = with_zero;
  }
  return ReadPlainDecimal(text);
}

namespace {
#if defined(__SSE2__)
// The ASCII digits of a block of sixteen bytes, as bits.
unsigned DigitBits(const char* block) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
  return static_cast<unsigned>(_mm_movemask_epi8(
      _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8('0' - 1)), _mm_cmplt_epi8(bytes, _mm_set1_epi8('9' + 1)))));
}
#endif

// How many ASCII digits start at `p`, in the text [begin, end) that holds
// it: sixteen bytes at a time, the last of them overlapping what was
// looked at already when the text is long enough.
std::size_t DigitRun(const char* begin, const char* p, const char* end) {
  const char* const start = p;
#if defined(__SSE2__)
  for (; end - p >= 16; p += 16) {
    const unsigned digits = DigitBits(p);
    if (digits != 0xFFFF) return static_cast<std::size_t>(p - start) + std::countr_one(digits);
  }
  if (p != end && end - begin >= 16) {
    // The text's last sixteen bytes; their first 16 - left are behind `p`.
    const auto left = static_cast<unsigned>(end - p);
    return static_cast<std::size_t>(p - start) + std::countr_one(DigitBits(end - 16) >> (16 - left));
  }
#else
  (void)begin;
#endif
  while (p != end && static_cast<unsigned char>(*p - '0') <= 9) ++p;
  return static_cast<std::size_t>(p - start);
}
}  // namespace

bool GpxDecimalWithin(std::string_view text, std::uint64_t limit) {
  const std::string_view trimmed = TrimXmlBlanks(text);
  const char* p = trimmed.data();
  const char* const end = p + trimmed.size();
  if (p != end && (*p == '-' || *p == '+')) ++p;
  const std::size_t whole_digits = DigitRun(trimmed.data(), p, end);
  std::uint64_t whole = 0;
  for (const char* const whole_end = p + whole_digits; p != whole_end; ++p) {
    // Past the limit it stays past it, without growing further.
    whole = std::min<std::uint64_t>(whole * 10 + static_cast<unsigned char>(*p - '0'), limit + 1);
  }
  std::size_t digits = whole_digits;
  if (p != end && *p == '.') {
    const std::size_t fraction_digits = DigitRun(trimmed.data(), ++p, end);
    p += fraction_digits;
    digits += fraction_digits;
  }
  // Exactly the texts the reading takes: a sign, digits, at most one ".".
  if (p != end || digits == 0) return false;
  // The whole part tells, but where it is the limit itself (90.000000000000001
  // reads as 90) or the digits are so many that the reading may refuse them.
  if (whole != limit && digits <= 100) return whole < limit;
  const std::optional<double> value = ReadGpxDecimal(text);
  return value && *value >= -static_cast<double>(limit) && *value <= static_cast<double>(limit);
}

std::string CoordinateFromGpx(std::string_view text) {
  std::string out;
  AppendCoordinateFromGpx(out, text);
  return out;
}

void AppendCoordinateFromGpx(std::string& out, std::string_view written) {
  if (AppendPlainCoordinate(out, TrimXmlBlanks(written))) return;
  out += CoordinateNotation(ReadGpxDecimal(written).value_or(0));
}

}  // namespace tessaline::gpx
