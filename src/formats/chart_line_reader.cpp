#include "formats/chart_line_reader.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessaline {

namespace {
// Where field n starts (just past the nth ";"), or npos.
std::size_t FieldStart(std::string_view line, std::size_t n) {
  std::size_t at = 0;
  for (std::size_t k = 0; k < n; ++k) {
    at = line.find(';', at);
    if (at == std::string_view::npos) return at;
    ++at;
  }
  return at;
}
}  // namespace

std::string_view WaypointFieldTwo(std::string_view line) {
  const std::size_t start = FieldStart(line, 2);
  if (start == std::string_view::npos) return {};
  return line.substr(start, line.find(';', start) - start);
}

std::string_view WaypointFieldsFromEight(std::string_view line) {
  const std::size_t start = FieldStart(line, 8);
  return start == std::string_view::npos ? std::string_view() : line.substr(start - 1);
}

ChartLine::ChartLine(std::string_view line, std::size_t kept) : kept_(std::clamp<std::size_t>(kept, 1, kKeptFields)) {
  // The fields are short: a search call per field would cost more than the
  // field, so the ";" are found sixteen bytes at a time.
  const char* text = line.data();
  const std::size_t size = line.size();
  std::size_t start = 0;
  // False once the kept fields are full (a further field exists).
  const auto field_ends_at = [&](std::size_t semicolon) {
    fields_[count_++] = std::string_view(text + start, semicolon - start);
    start = semicolon + 1;
    if (count_ < kept_) return true;
    ++count_;
    return false;
  };
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i semicolons = _mm_set1_epi8(';');
  for (; i + 16 <= size; i += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    auto found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, semicolons)));
    while (found != 0) {
      if (!field_ends_at(i + static_cast<std::size_t>(std::countr_zero(found)))) return;
      found &= found - 1;
    }
  }
#endif
  for (; i < size; ++i) {
    if (text[i] == ';' && !field_ends_at(i)) return;
  }
  fields_[count_++] = line.substr(start);
}

}  // namespace tessaline
