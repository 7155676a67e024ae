#include "cli/interruption.h"

#include <csignal>

namespace tessaline::cli {

namespace {

volatile std::sig_atomic_t caught_signal = 0;

extern "C" void OnInterruption(int signal_number) {
  caught_signal = signal_number;
  // The next one takes the default road: the program ends at once.
  std::signal(signal_number, SIG_DFL);
}

void Catch(int signal_number) {
  if (std::signal(signal_number, OnInterruption) == SIG_IGN) std::signal(signal_number, SIG_IGN);
}

}  // namespace

void CatchInterruptions() {
  Catch(SIGINT);
  Catch(SIGTERM);
#ifdef SIGHUP
  Catch(SIGHUP);
#endif
}

bool InterruptionRequested() { return caught_signal != 0; }

void EndByInterruption() {
  const int signal_number = caught_signal;
  if (signal_number == 0) return;
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

}  // namespace tessaline::cli
