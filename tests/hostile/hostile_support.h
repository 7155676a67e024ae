#pragma once
// The stage of the hostile-file tests: a temporary folder with a copy of
// tessaline-convert of its own (so that its staging store lies there, away
// from other tests running at the same time) and a data folder the files
// are converted in, by paths relative to it as a user would type them.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "child_process.h"
#include "support/temp_folder.h"

namespace tessaline::testing {

inline constexpr const char* kDeviceToChartError = "Erreur dans le module de conversion ZRB -> Vestamar";
inline constexpr const char* kChartToDeviceError = "Erreur dans le module de conversion Vestamar -> ZRB";

class ConverterStage {
 public:
  ConverterStage();

  const std::string& data() const { return data_; }
  std::string DataFile(std::string_view name) const { return data_ + "/" + std::string(name); }
  const std::string& program() const { return program_; }
  // Where the program keeps its staging store.
  std::string StoreFile() const { return program_folder_ + "/ZRB_DB.dat"; }

  // tessaline-convert with `arguments`, run in the data folder.
  ChildResult Convert(const std::vector<std::string>& arguments) const;
  ChildLaunch LaunchFor(const std::vector<std::string>& arguments) const;

 private:
  TempFolder folder_;
  std::string data_, program_folder_, program_;
};

// "tessaline-convert: <path>: <message>\n", one line of stderr.
std::string MessageLine(std::string_view path, std::string_view message, std::string_view reason);
// "Traitement du fichier <name> terminé.\n<summary>\n", stdout's lines of one file.
std::string CompletionLine(std::string_view file_name, std::string_view summary);

// Writes a file made of `piece` repeated `times` times, without holding it
// in memory; `head` and `tail` go before and after.
void WriteRepeated(const std::string& path, std::string_view head, std::string_view piece,
                   std::uint64_t times, std::string_view tail);
std::uint64_t FileSize(const std::string& path);
// Bytes [offset, offset + size) of a file.
std::string ReadRange(const std::string& path, std::uint64_t offset, std::size_t size);
// Compares two files chunk by chunk.
bool SameContent(const std::string& a, const std::string& b);

// A chart track text with the stamp of every P line (its last field, the
// time of writing) replaced by "*", so that two runs compare equal.
std::string WithoutStamps(std::string_view track_text);

// The lines of a chart or device text (CR LF ends a line).
std::vector<std::string> LinesOf(std::string_view text);

// Whether the run could take the peak memory we want to hold it to: the
// sanitizers' shadow memory and quarantine would measure the tools, not the
// program.
bool MeasuresMemory();

}  // namespace tessaline::testing
