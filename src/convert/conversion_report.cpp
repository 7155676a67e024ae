#include "convert/conversion_report.h"

#include "convert/messages.h"

namespace tessaline {

void ConversionReport::Warn(const WarningKind& kind, std::uint64_t line, std::uint64_t times) {
  if (times == 0) return;
  for (Warning& warning : warnings_) {
    if (warning.kind == &kind) {
      warning.count += times;
      return;
    }
  }
  warnings_.push_back(Warning{&kind, line, times});
}

std::vector<ConversionWarning> ConversionReport::WarningNotes() const {
  std::vector<ConversionWarning> notes;
  notes.reserve(warnings_.size());
  for (const Warning& warning : warnings_) {
    notes.push_back(ConversionWarning{path_, warning.first_line,
                                      messages::WarningText(*warning.kind, warning.count)});
  }
  return notes;
}

ConversionNotes ConversionReport::CompletionNotes() const {
  return ConversionNotes{path_, "", messages::SummaryText(summary_), WarningNotes()};
}

ConversionNotes ConversionReport::FailureNotes(const ConversionFailure& failure) const {
  return ConversionNotes{path_, failure.Reason(), "", WarningNotes()};
}

}  // namespace tessaline
