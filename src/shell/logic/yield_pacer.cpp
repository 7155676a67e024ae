#include "shell/logic/yield_pacer.h"

namespace tessaline {

std::int64_t YieldPacer::Elapsed() const {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                              since_events_)
      .count();
}

bool YieldPacer::Due() {
  if (!started_) return true;
  if (++calls_since_check_ < check_stride_) return false;
  calls_since_check_ = 0;
  const std::int64_t now = Elapsed();
  const std::int64_t spacing = now - last_check_ns_;
  last_check_ns_ = now;
  if (spacing > 2 * kCheckSpacingNs) {
    check_stride_ = 1;
  } else if (spacing < kCheckSpacingNs / 2 && check_stride_ < kMaxCheckStride) {
    check_stride_ *= 2;
  }
  return now >= kIntervalNs;
}

void YieldPacer::EventsRan() {
  started_ = true;
  since_events_ = std::chrono::steady_clock::now();
  last_check_ns_ = 0;
}

}  // namespace tessaline
