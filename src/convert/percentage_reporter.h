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
  void Main(const std::string& text) { Send(text, main_, &Host::SetMainPercentage); }
  void Inner(const std::string& text) { Send(text, inner_, &Host::SetInnerPercentage); }
  // A percentage from 0 to 100, formatted only when it changes.
  void MainPercent(int percent) { SendPercent(percent, main_, &Host::SetMainPercentage); }
  void InnerPercent(int percent) { SendPercent(percent, inner_, &Host::SetInnerPercentage); }

 private:
  // What a label last showed: its text, and its number when it was sent as one.
  struct Shown {
    std::optional<std::string> text;
    int percent = -1;
  };

  void Send(const std::string& text, Shown& shown, void (Host::*set)(const std::string&)) {
    shown.percent = -1;
    if (shown.text && *shown.text == text) return;
    (host_.*set)(text);
    shown.text = text;
  }

  void SendPercent(int percent, Shown& shown, void (Host::*set)(const std::string&)) {
    if (percent == shown.percent) return;
    Send(PercentageText(percent), shown, set);
    shown.percent = percent;
  }

  Host& host_;
  Shown main_, inner_;
};

}  // namespace tessaline
