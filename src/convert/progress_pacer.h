#pragma once
// One percentage of the panel (lblFichiers or lblDetails) fed with a
// position within a total: bytes of a file read, lines or records. A loop
// over a million lines asks it at every line, yet the number is computed
// only at the positions where it changes, a hundred times, and the host is
// told only when the label's text changes (the same text again shows
// nothing new and would cost the window a repaint).

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "host/host.h"

namespace tessaline {

class ProgressPacer {
 public:
  enum class Label { Main, Inner };  // lblFichiers, lblDetails
  // How the number comes from (position, total), floored to 0..100:
  //   RealFirst  position / total * 100 in double precision, in that order
  //              (line 29 of 100 shows 28), the converters' own reckoning;
  //   Exact      position * 100 / total in whole numbers (29 of 100: 29).
  // A zero total shows 100.
  enum class Division { RealFirst, Exact };

  ProgressPacer(Host& host, Label label, Division division = Division::RealFirst)
      : host_(host), label_(label), division_(division) {}

  // A new count: the next position asked is computed whatever it is. What
  // the label shows stays known, so that the same text is not sent again.
  void Restart(std::uint64_t total) {
    total_ = total;
    next_ = 0;
  }

  // The percentage at `position`. Positions may only grow between two
  // restarts for the label to follow them; one that goes back shows nothing
  // until it passes again where the number last changed.
  void At(std::uint64_t position) {
    if (position >= next_) Pace(position);
  }

  // A text the caller worked out itself, shown unless the label shows it.
  void Show(const std::string& text);

  // The number at `position`, as At shows it.
  int PercentAt(std::uint64_t position) const;

 private:
  void Pace(std::uint64_t position);

  Host& host_;
  Label label_;
  Division division_;
  std::uint64_t total_ = 0;
  std::uint64_t next_ = std::numeric_limits<std::uint64_t>::max();  // nothing to show before a Restart
  std::optional<std::string> shown_;  // the label's text, once this sent one
};

}  // namespace tessaline
