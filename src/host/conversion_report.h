#pragma once
// What a conversion tells besides its panel, in one vocabulary for every
// converter and every front end: the summary of what it converted, the
// warnings about what the formats could not keep (each kind counted once per
// file, with the line where it was first met), and, for the host, the same
// as finished French texts.

#include <cstdint>
#include <string>
#include <vector>

namespace tessaline {

// A kind of loss, in the two forms its count needs:
// {"nom coupé à 50 caractères", "noms coupés à 50 caractères"}. The kinds
// and their texts are defined in convert/messages.h.
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
  std::uint64_t points = 0;  // the points of the tracks written
  std::uint64_t waypoints = 0;
  // Tracks reduced to fit: the track points read, and how far the line
  // moved at most ("3,2 m"). 0 and "" when nothing was reduced.
  std::uint64_t points_read = 0;
  std::string max_error_text;
  // An output cut into parts (--split): their file names, in order; empty
  // when it was written whole.
  std::vector<std::string> files = {};
};

// One kind of loss met in the file.
struct Warning {
  const WarningKind* kind;
  std::uint64_t first_line;
  std::uint64_t count;
  std::string detail;  // said after the kind (" à 32761 points ..."); may be empty
};

// Gathers what one conversion tells, while it runs.
class ConversionReport {
 public:
  // `path`: the converted file, as given; warnings name it.
  explicit ConversionReport(std::string path) : path_(std::move(path)) {}

  // `times` more cases of `kind`, the first of them at `line` (1-based).
  // `kind` must outlive this.
  void Warn(const WarningKind& kind, std::uint64_t line, std::uint64_t times = 1, std::string detail = {});
  void SetSummary(const ConversionSummary& summary) { summary_ = summary; }
  ConversionSummary& Summary() { return summary_; }

  const std::string& Path() const { return path_; }
  const ConversionSummary& Summary() const { return summary_; }
  const std::vector<Warning>& Warnings() const { return warnings_; }  // in the order first met
  // Back to the warnings of an earlier moment: what is written twice (a
  // point that starts a part and ends the one before) is told once.
  void SetWarnings(std::vector<Warning> warnings) { warnings_ = std::move(warnings); }

 private:
  std::string path_;
  ConversionSummary summary_;
  std::vector<Warning> warnings_;
};

// The same as the host receives it, in finished texts that it only lays out.

// One kind of loss in one file: where it was first met and how often,
// already counted into `text` ("3 noms coupés à 50 caractères").
struct ConversionWarning {
  std::string file;             // the converted file's path, as given
  std::uint64_t first_line = 0; // 1-based line of the first case
  std::string text;
  bool operator==(const ConversionWarning&) const = default;
};

struct ConversionNotes {
  std::string path;     // the converted file, as given
  std::string reason;   // why the conversion failed; empty otherwise
  std::string summary;  // what was converted; empty after a failure
  std::vector<ConversionWarning> warnings;  // in the order first met
  bool operator==(const ConversionNotes&) const = default;
};

}  // namespace tessaline
