#include "platform/deferred_signals.h"

#include <pthread.h>
#include <signal.h>

#include <cstring>
#include <initializer_list>

namespace tessaline::platform {

namespace {

sigset_t EndingSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&set, number);
  return set;
}

}  // namespace

DeferredSignals::DeferredSignals() {
  static_assert(sizeof(sigset_t) <= sizeof saved_);
  const sigset_t ending = EndingSignals();
  sigset_t old;
  pthread_sigmask(SIG_BLOCK, &ending, &old);
  std::memcpy(saved_, &old, sizeof old);
}

DeferredSignals::~DeferredSignals() {
  // A signal held back meanwhile is delivered here, by the usual road.
  sigset_t old;
  std::memcpy(&old, saved_, sizeof old);
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

}  // namespace tessaline::platform
