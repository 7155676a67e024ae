#include "shell/logic/panel_host.h"

#include "convert/messages.h"

namespace tessaline {

PanelHost::PanelHost(NavyPort& port, FileSystem* files)
    : port_(port), files_(files != nullptr ? files : &real_files_) {}

void PanelHost::SetStepText(const std::string& text) { port_.SetCaption(ControlId::LblStatus, text); }

void PanelHost::SetMainPercentage(const std::string& text) {
  port_.SetCaption(ControlId::LblFichiers, text);
}

void PanelHost::SetInnerPercentage(const std::string& text) {
  port_.SetCaption(ControlId::LblDetails, text);
}

void PanelHost::MarkStepFinished(int step) {
  if (step < 1 || step > 4) return;
  port_.SetFill(StepIndicator(step), kGreenBgr);
}

void PanelHost::ShowCompletion(const std::string& caption, const ConversionNotes& notes) {
  if (!notes.summary.empty()) {
    if (!completion_entries_.empty()) completion_entries_ += "\n\n";
    completion_entries_ += messages::CompletionEntryText(notes);
  }
  port_.SetTooltip(ControlId::CmdOK, completion_entries_);
  port_.SetCaption(ControlId::CmdOK, caption);
  port_.SetVisible(ControlId::CmdOK, true);
  completion_shown_ = true;
}

void PanelHost::HideCompletion() {
  port_.SetVisible(ControlId::CmdOK, false);
  completion_shown_ = false;
}

void PanelHost::ShowMessage(const std::string& text, MessageIcon icon,
                            const ConversionNotes& notes) {
  const std::string details = messages::MessageDetailsText(notes);
  if (presenter_) {
    presenter_(text, icon, details);
  } else {
    port_.ShowMessage(text, icon, details);
  }
}

bool PanelHost::Yield() {
  if (pacer_.Due()) {
    port_.ProcessEvents();
    pacer_.EventsRan();
  }
  return stop_requested_;
}

}  // namespace tessaline
