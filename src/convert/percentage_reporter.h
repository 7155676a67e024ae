#pragma once
// The percentages of the panel (lblFichiers, lblDetails), sent to the host
// only when their text changes: the same text again shows nothing new and
// would cost the window a repaint per line.

#include <optional>
#include <string>

#include "host/host.h"

namespace tessaline {

class PercentageReporter {
 public:
  explicit PercentageReporter(Host& host) : host_(host) {}

  // Finished texts ("37%").
  void Main(const std::string& text) { Send(text, last_main_, &Host::SetMainPercentage); }
  void Inner(const std::string& text) { Send(text, last_inner_, &Host::SetInnerPercentage); }

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
};

}  // namespace tessaline
