#include "convert/progress_pacer.h"

#include <algorithm>

#include "formats/percentage.h"

namespace tessaline {

int ProgressPacer::PercentAt(std::uint64_t position) const {
  if (division_ == Division::RealFirst) return PercentOf(static_cast<double>(position), static_cast<double>(total_));
  if (total_ == 0) return 100;
  return static_cast<int>(std::min<std::uint64_t>(position * 100 / total_, 100));
}

void ProgressPacer::Pace(std::uint64_t position) {
  const int now = PercentAt(position);
  if (now >= 100 || total_ == 0) {
    next_ = std::numeric_limits<std::uint64_t>::max();
  } else {
    // Either division never falls as the position grows and shows 100 at
    // the total: the next change lies in (position, max(total, position + 1)].
    std::uint64_t low = position + 1, high = std::max(total_, position + 1);
    while (low < high) {
      const std::uint64_t middle = low + (high - low) / 2;
      if (PercentAt(middle) != now) {
        high = middle;
      } else {
        low = middle + 1;
      }
    }
    next_ = low;
  }
  Show(PercentageText(now));
}

void ProgressPacer::Show(const std::string& text) {
  if (shown_ && *shown_ == text) return;
  if (label_ == Label::Main) {
    host_.SetMainPercentage(text);
  } else {
    host_.SetInnerPercentage(text);
  }
  shown_ = text;
}

}  // namespace tessaline
