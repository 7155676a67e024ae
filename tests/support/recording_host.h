#pragma once
// A host that remembers every panel operation and message in order, and the
// panel as it would look now. Tests assert the exact sequence a conversion
// produced; it can also ask the conversion to stop at a chosen yield.

#include <array>
#include <string>
#include <vector>

#include "host/host.h"

namespace tessaline {

class RecordingHost : public Host {
 public:
  explicit RecordingHost(FileSystem& files) : files_(files) {}

  // One line per operation: "status:<text>", "main:<text>", "inner:<text>",
  // "step:<n>", "done:<caption>", "info:<text>" or "error:<text>".
  const std::vector<std::string>& Events() const { return events_; }
  // Only the events that start with `prefix` (e.g. "main:"), prefix removed.
  std::vector<std::string> EventsOf(const std::string& prefix) const;
  // The messages shown, as "info:..." / "error:...".
  std::vector<std::string> Messages() const;
  void ClearEvents() { events_.clear(); }

  // The panel as the operations left it.
  std::string status, main_percentage = "Prêt", inner_percentage;
  std::array<bool, 4> step_finished{};
  bool completion_shown = false;
  std::string completion_caption = "OK";
  // The notes of every completion and message, in order.
  std::vector<ConversionNotes> notes;

  int yields() const { return yields_; }
  // Yield answers "stop" from the `n`th yield on (1-based); 0 never.
  void StopAtYield(int n) { stop_at_yield_ = n; }

  void SetStepText(const std::string& text) override;
  void SetMainPercentage(const std::string& text) override;
  void SetInnerPercentage(const std::string& text) override;
  void MarkStepFinished(int step) override;
  using Host::ShowCompletion;
  using Host::ShowMessage;
  void ShowCompletion(const std::string& caption, const ConversionNotes& notes) override;
  void ShowMessage(const std::string& text, MessageIcon icon, const ConversionNotes& notes) override;
  bool Yield() override;
  FileSystem& Files() override { return files_; }

 private:
  FileSystem& files_;
  std::vector<std::string> events_;
  int yields_ = 0;
  int stop_at_yield_ = 0;
};

}  // namespace tessaline
