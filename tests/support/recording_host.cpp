#include "support/recording_host.h"

namespace tessaline {

std::vector<std::string> RecordingHost::EventsOf(const std::string& prefix) const {
  std::vector<std::string> matching;
  for (const auto& event : events_) {
    if (event.compare(0, prefix.size(), prefix) == 0) matching.push_back(event.substr(prefix.size()));
  }
  return matching;
}

std::vector<std::string> RecordingHost::Messages() const {
  std::vector<std::string> messages;
  for (const auto& event : events_) {
    if (event.rfind("info:", 0) == 0 || event.rfind("error:", 0) == 0) messages.push_back(event);
  }
  return messages;
}

void RecordingHost::SetStepText(const std::string& text) {
  status = text;
  events_.push_back("status:" + text);
}

void RecordingHost::SetMainPercentage(const std::string& text) {
  main_percentage = text;
  events_.push_back("main:" + text);
}

void RecordingHost::SetInnerPercentage(const std::string& text) {
  inner_percentage = text;
  events_.push_back("inner:" + text);
}

void RecordingHost::MarkStepFinished(int step) {
  if (step >= 1 && step <= 4) step_finished[static_cast<std::size_t>(step - 1)] = true;
  events_.push_back("step:" + std::to_string(step));
}

void RecordingHost::ShowCompletion(const std::string& caption, const ConversionNotes& details) {
  notes.push_back(details);
  completion_caption = caption;
  completion_shown = true;
  events_.push_back("done:" + caption);
}

void RecordingHost::ShowMessage(const std::string& text, MessageIcon icon,
                                const ConversionNotes& details) {
  notes.push_back(details);
  events_.push_back((icon == MessageIcon::Error ? "error:" : "info:") + text);
}

bool RecordingHost::Yield() {
  ++yields_;
  return stop_at_yield_ != 0 && yields_ >= stop_at_yield_;
}

}  // namespace tessaline
