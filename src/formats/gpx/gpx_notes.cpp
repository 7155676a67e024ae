#include "formats/gpx/gpx_notes.h"

#include <algorithm>
#include <charconv>

namespace tessaline::gpx {

void NoteLog::Add(NoteKind kind, std::uint64_t line, std::uint64_t times) {
  if (times == 0) return;
  Entry& entry = entries_[Index(kind)];
  if (entry.count == 0) {
    entry.first_line = line;
    entry.order = next_order_++;
  }
  entry.count += times;
}

std::vector<Note> NoteLog::Notes() const {
  std::vector<Note> notes;
  std::vector<std::uint64_t> order;
  for (std::size_t i = 0; i < kNoteKinds; ++i) {
    if (entries_[i].count == 0) continue;
    const auto kind = static_cast<NoteKind>(i);
    notes.push_back({kind, NoteText(kind), entries_[i].first_line, entries_[i].count});
    order.push_back(entries_[i].order);
  }
  std::vector<std::size_t> index(notes.size());
  for (std::size_t i = 0; i < index.size(); ++i) index[i] = i;
  std::sort(index.begin(), index.end(), [&](std::size_t a, std::size_t b) { return order[a] < order[b]; });
  std::vector<Note> sorted;
  for (std::size_t i : index) sorted.push_back(notes[i]);
  return sorted;
}

std::string NoteText(NoteKind kind) {
  switch (kind) {
    case NoteKind::PointSkipped:
      return "point ignoré : latitude ou longitude absente, non numérique ou hors limites";
    case NoteKind::LineSkipped: return "ligne sans point lisible ignorée";
    case NoteKind::CharacterReplaced: return "caractère impossible à écrire en 8 bits remplacé par « ? »";
    case NoteKind::SeparatorReplaced:
      return "séparateur, guillemet ou saut de ligne d'un nom remplacé par une espace";
    case NoteKind::ControlDropped: return "caractère de contrôle impossible en XML supprimé";
    case NoteKind::OnePointTrack: return "trace ou route d'un seul point : elle sera relue comme un waypoint";
    case NoteKind::TooManyLines:
      return "plus de 32 766 lignes : ni l'appareil ni ce programme ne pourront relire le fichier";
  }
  return {};
}

namespace {
void AppendCount(std::string& text, std::uint64_t count) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, count).ptr;
  text.append(digits, end);
}
}  // namespace

std::string SummaryText(const Summary& summary) {
  std::string text;
  AppendCount(text, summary.tracks);
  text += " trace(s) (";
  AppendCount(text, summary.track_points);
  text += " points), ";
  AppendCount(text, summary.waypoints);
  text += " waypoint(s)";
  return text;
}

}  // namespace tessaline::gpx
