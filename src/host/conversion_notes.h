#pragma once
// What a converter tells its host beyond the panel and the Parts' messages:
// why it failed, what it converted, and what it could not keep. Finished
// French texts; the host only lays them out.

#include <cstdint>
#include <string>
#include <vector>

namespace tessaline {

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
