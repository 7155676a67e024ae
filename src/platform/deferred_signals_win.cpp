#include "platform/deferred_signals.h"

#include <windows.h>

#include <atomic>

namespace tessaline::platform {

namespace {

std::atomic<int> deferring{0};

// Console control events arrive in a thread of their own: this one, called
// before the C runtime's, waits there until the steps are done, then passes
// the event on. A closing console grants a handler about five seconds,
// far more than a few renames take.
BOOL WINAPI HoldWhileDeferring(DWORD) {
  const ULONGLONG until = GetTickCount64() + 4000;
  while (deferring.load() > 0 && GetTickCount64() < until) Sleep(1);
  return FALSE;
}

}  // namespace

DeferredSignals::DeferredSignals() : saved_{} {
  if (deferring.fetch_add(1) == 0) SetConsoleCtrlHandler(HoldWhileDeferring, TRUE);
}

DeferredSignals::~DeferredSignals() {
  if (deferring.fetch_sub(1) == 1) SetConsoleCtrlHandler(HoldWhileDeferring, FALSE);
}

}  // namespace tessaline::platform
