#pragma once
// tessaline-convert from its arguments to its exit status, with the process
// (standard streams, terminal, signals) passed in.

#include <string>
#include <vector>

#include "cli/console_output.h"

namespace tessaline::cli {

struct ProcessStreams {
  TextSink& out;
  TextSink& err;
  bool stderr_is_terminal = false;
  int terminal_columns = 80;
  bool (*stop_requested)() = nullptr;
};

struct ProgramResult {
  int exit_status = 0;
  bool stopped = false;  // interrupted: the caller ends the process by the signal
};

// `arguments` without the program name.
ProgramResult RunTessalineConvert(const std::vector<std::string>& arguments, ProcessStreams streams);

}  // namespace tessaline::cli
