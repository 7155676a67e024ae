#pragma once
// Runs a program the way a shell would, and keeps what it wrote.

#include <string>
#include <vector>

namespace tessaline::testing {

struct ProgramCall {
  std::vector<std::string> arguments;    // without the program
  std::vector<std::string> environment;  // "NAME=value", the whole environment
  std::string folder;                    // working folder; "" keeps the current one
  std::string stdin_path = "/dev/null";
  std::string stdout_path;               // "" keeps stdout in ProgramRun::out
  bool stderr_on_terminal = false;       // stderr is a pseudo-terminal
  // With stderr_on_terminal: sent to the program once it has written
  // something there (its progress), 0 for none.
  int signal_once_written = 0;
};

struct ProgramRun {
  int exit_status = -1;  // -1 when ended by a signal
  int signal = 0;
  std::string out;
  std::string err;       // what reached the terminal when stderr_on_terminal
};

ProgramRun RunProgram(const std::string& program, const ProgramCall& call);

}  // namespace tessaline::testing
