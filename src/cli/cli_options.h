#pragma once
// The command line of tessaline-convert, read the way GNU tools read theirs:
// short options may be grouped ("-qc"), long ones abbreviated while the
// abbreviation is unambiguous ("--quiet", "--qu"), options may come before
// or after the files, and "--" ends the options.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/roads/road_table.h"

namespace tessaline::cli {

inline constexpr const char* kProgramName = "tessaline-convert";

// Exit statuses.
inline constexpr int kExitAllConverted = 0;
inline constexpr int kExitSomeFileFailed = 1;
inline constexpr int kExitUsageError = 2;

enum class CliAction { Convert, ShowHelp, ShowVersion, UsageError };

struct CliOptions {
  CliAction action = CliAction::Convert;
  Request request = Request::ByFile;  // the road each file takes: convert/roads/road_table.h
  bool quiet = false;
  std::optional<std::uint64_t> points;  // -n N, --points N: the most points any output may hold
  bool split = false;  // --split: an output longer than that is cut into files rather than thinned
  std::string output;  // -o FILE, --output FILE: the output's name, for a single input; "" for the road's own
  std::vector<std::string> files;
  std::string error;  // for UsageError: the message, without the program name
};

// `arguments` without the program name (argv[1] on).
CliOptions ParseCommandLine(const std::vector<std::string>& arguments);

// Texts for stdout (help, version) and the two stderr lines of a usage error.
std::string HelpText();
std::string VersionText();
std::string UsageErrorText(const std::string& error);

}  // namespace tessaline::cli
