#pragma once
// Ctrl-C (and a polite kill) during a run: the first one asks the running
// conversion to stop at its next line, so that it cleans up after itself
// (no temporary file left beside the outputs, no output half-replaced) and
// no further file is started; a second one ends the program at once.

namespace tessaline::cli {

// Catches SIGINT, SIGTERM and, where it exists, SIGHUP. A signal that was
// ignored when the program started (a batch run under nohup) stays ignored.
void CatchInterruptions();

bool InterruptionRequested();

// Ends the program by the signal that interrupted it, so that the caller (a
// shell, xargs) sees the usual status of an interrupted command. Returns
// only when no signal was caught.
void EndByInterruption();

}  // namespace tessaline::cli
