#pragma once
// The percentages of the panel (lblFichiers, lblDetails), sent to the host
// only when their text changes: the same text again shows nothing new and
// would cost the window a repaint per line.

#include <optional>
#include <string>

#include "formats/percentage.h"
#include "host/host.h"

namespace tessaline {

class PercentageReporter {
 public:
  explicit PercentageReporter(Host& host) : host_(host) {}

  // Finished texts ("37%").
  void Main(const std::string& text) {
    last_main_percent_ = -1;
    Send(text, last_main_, &Host::SetMainPercentage);
  }
  // A percentage from 0 to 100, formatted only when it changes.
  void MainPercent(int percent) {
    if (percent == last_main_percent_) return;
    Send(PercentageText(percent), last_main_, &Host::SetMainPercentage);
    last_main_percent_ = percent;
  }
  void Inner(const std::string& text) {
    last_inner_percent_ = -1;
    Send(text, last_inner_, &Host::SetInnerPercentage);
  }
  void InnerPercent(int percent) {
    if (percent == last_inner_percent_) return;
    Send(PercentageText(percent), last_inner_, &Host::SetInnerPercentage);
    last_inner_percent_ = percent;
  }

 private:
  void Send(const std::string& text, std::optional<std::string>& last,
            void (Host::*set)(const std::string&)) {
    if (last && *last == text) return;
    (host_.*set)(text);
    last = text;
  }

  Host& host_;
  std::optional<std::string> last_main_;
  std::optional<std::string> last_inner_;
  int last_main_percent_ = -1, last_inner_percent_ = -1;
};

}  // namespace tessaline
