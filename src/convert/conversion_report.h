#pragma once
// What one conversion tells besides its panel: the summary of what it
// converted and the warnings about what it could not keep. Each kind of
// loss is counted once per file, with the line where it was first met.
// Shared by every converter; a new converter adds its own warning kinds and
// summary form in convert/messages.h.

#include <cstdint>
#include <string>
#include <vector>

#include "convert/conversion_failure.h"
#include "host/conversion_notes.h"

namespace tessaline {

// A kind of loss, in the two forms its count needs:
// {"nom coupé à 50 caractères", "noms coupés à 50 caractères"}.
struct WarningKind {
  const char* singular;
  const char* plural;
};

// What came out of a conversion, in the form its direction reports.
struct ConversionSummary {
  enum class Form {
    TracksAndWaypoints,  // "2 traces (157 points), 3 waypoints"
    Tracks,              // "2 traces (157 points)"
    Waypoints,           // "3 waypoints"
  };
  Form form = Form::TracksAndWaypoints;
  std::uint64_t tracks = 0;
  std::uint64_t points = 0;  // the points of the tracks
  std::uint64_t waypoints = 0;
};

// One kind of loss met in the file.
struct Warning {
  const WarningKind* kind;
  std::uint64_t first_line;
  std::uint64_t count;
};

class ConversionReport {
 public:
  // `path`: the converted file, as given; warnings name it.
  explicit ConversionReport(std::string path) : path_(std::move(path)) {}

  // One more case of `kind` at `line` (1-based). `kind` must outlive this.
  // `times` cases at once, the first of them at `line`.
  void Warn(const WarningKind& kind, std::uint64_t line, std::uint64_t times = 1);
  void SetSummary(const ConversionSummary& summary) { summary_ = summary; }

  const std::vector<Warning>& Warnings() const { return warnings_; }

  // For the completion: the summary and the warnings.
  ConversionNotes CompletionNotes() const;
  // For the error message: the reason and the warnings met before it.
  ConversionNotes FailureNotes(const ConversionFailure& failure) const;

 private:
  std::vector<ConversionWarning> WarningNotes() const;

  std::string path_;
  ConversionSummary summary_;
  std::vector<Warning> warnings_;  // in the order first met
};

}  // namespace tessaline
