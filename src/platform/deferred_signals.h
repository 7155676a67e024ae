#pragma once
// Holds back the signals that end a program (Ctrl-C, a polite kill, a closed
// terminal) while steps that must not be parted run: the outputs of a pair
// are renamed one right after the other, and a program ended between the two
// renames would leave a new file beside an old one. A signal that arrives
// meanwhile takes effect when the object goes, as it would have a moment
// later. POSIX blocks the signals in the thread; Windows holds the console's
// control events in their own thread until the steps are done.

namespace tessaline::platform {

class DeferredSignals {
 public:
  DeferredSignals();
  ~DeferredSignals();
  DeferredSignals(const DeferredSignals&) = delete;
  DeferredSignals& operator=(const DeferredSignals&) = delete;

 private:
  unsigned char saved_[128];  // the thread's signal mask before (POSIX)
};

}  // namespace tessaline::platform
