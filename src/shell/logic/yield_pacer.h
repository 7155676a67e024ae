#pragma once
// When a conversion inside the window lets the event loop run: often enough
// for the 10 ms timers of the motion, rarely enough to cost the conversion
// little. Reading the clock costs about as much as converting a short line,
// so it is read only every so many calls: as many as keep it read about
// every quarter millisecond, however long a line takes.

#include <chrono>
#include <cstdint>

namespace tessaline {

class YieldPacer {
 public:
  static constexpr std::int64_t kIntervalNs = 10'000'000;
  static constexpr std::int64_t kCheckSpacingNs = 250'000;
  static constexpr int kMaxCheckStride = 32;

  // Whether the events are due now; the first call always says yes.
  bool Due();
  // The events have just run: the next interval starts now.
  void EventsRan();

 private:
  std::int64_t Elapsed() const;

  bool started_ = false;
  std::chrono::steady_clock::time_point since_events_;
  std::int64_t last_check_ns_ = 0;
  int check_stride_ = 1;
  int calls_since_check_ = 0;
};

}  // namespace tessaline
