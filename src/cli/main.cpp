// tessaline-convert: converts device point files and chart exchange files
// from the command line, with the converters of the window program.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/console_output.h"
#include "cli/interruption.h"
#include "cli/tessaline_convert.h"
#include "platform/terminal.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

// The arguments as UTF-8, like every path the core takes.
std::vector<std::string> ArgumentsOf(int argc, char** argv) {
  std::vector<std::string> arguments;
#ifdef _WIN32
  (void)argc;
  (void)argv;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; wide != nullptr && i < count; ++i) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string argument(size > 0 ? static_cast<std::size_t>(size - 1) : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, argument.data(), size, nullptr, nullptr);
    arguments.push_back(std::move(argument));
  }
  LocalFree(wide);
#else
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
#endif
  return arguments;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // The texts are UTF-8 whatever the console's code page.
  SetConsoleOutputCP(CP_UTF8);
#endif
  using namespace tessaline;
  cli::CatchInterruptions();
  cli::StreamSink out(stdout);
  cli::StreamSink err(stderr);
  cli::ProcessStreams streams{out, err};
  streams.stderr_is_terminal = platform::IsStderrTerminal();
  if (streams.stderr_is_terminal) streams.terminal_columns = platform::StderrTerminalColumns();
  streams.stop_requested = &cli::InterruptionRequested;

  const cli::ProgramResult result = cli::RunTessalineConvert(ArgumentsOf(argc, argv), streams);
  if (result.stopped) cli::EndByInterruption();
  return result.exit_status;
}
