#include "formats/gpx/gpx_notes.h"

#include <algorithm>

namespace tessaline::gpx {

void NoteLog::Add(NoteKind kind, std::uint64_t line, std::uint64_t times) {
  if (times == 0) return;
  Entry& entry = entries_[static_cast<std::size_t>(kind)];
  if (entry.count == 0) {
    entry.first_line = line;
    entry.order = next_order_++;
  }
  entry.count += times;
}

std::vector<Note> NoteLog::Notes() const {
  std::vector<std::pair<std::uint64_t, Note>> met;
  for (std::size_t i = 0; i < kNoteKinds; ++i) {
    const Entry& entry = entries_[i];
    if (entry.count > 0) met.push_back({entry.order, Note{static_cast<NoteKind>(i), entry.first_line, entry.count}});
  }
  std::sort(met.begin(), met.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Note> notes;
  for (const auto& entry : met) notes.push_back(entry.second);
  return notes;
}

}  // namespace tessaline::gpx
