#include "shell/logic/panel_host.h"

#include "convert/messages.h"

namespace tessaline {

PanelHost::PanelHost(NavyView& view, FileSystem* files)
    : view_(view), files_(files != nullptr ? files : &real_files_) {}

void PanelHost::SetStepText(const std::string& text) { view_.SetCaption(ControlId::LblStatus, text); }

void PanelHost::SetMainPercentage(const std::string& text) {
  view_.SetCaption(ControlId::LblFichiers, text);
}

void PanelHost::SetInnerPercentage(const std::string& text) {
  view_.SetCaption(ControlId::LblDetails, text);
}

void PanelHost::MarkStepFinished(int step) {
  if (step < 1 || step > 4) return;
  view_.SetFill(StepIndicator(step), kGreenBgr);
}

void PanelHost::ShowCompletion(const std::string& caption, const ConversionNotes& notes) {
  if (!notes.summary.empty()) {
    if (!completion_entries_.empty()) completion_entries_ += "\n\n";
    completion_entries_ += messages::CompletionEntryText(notes);
  }
  view_.SetTooltip(ControlId::CmdOK, completion_entries_);
  view_.SetCaption(ControlId::CmdOK, caption);
  view_.SetVisible(ControlId::CmdOK, true);
  completion_shown_ = true;
}

void PanelHost::HideCompletion() {
  view_.SetVisible(ControlId::CmdOK, false);
  completion_shown_ = false;
}

void PanelHost::ShowMessage(const std::string& text, MessageIcon icon,
                            const ConversionNotes& notes) {
  const std::string details = messages::MessageDetailsText(notes);
  if (presenter_) {
    presenter_(text, icon, details);
  } else {
    view_.ShowMessage(text, icon, details);
  }
}

bool PanelHost::Yield() {
  if (pacer_.Due()) {
    view_.ProcessEvents();
    pacer_.EventsRan();
  }
  return stop_requested_;
}

}  // namespace tessaline
