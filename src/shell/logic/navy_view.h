#pragma once
// What the window's shared logic needs of a front end: the controls of the
// table (control_table.h) to change, the event loop to run, message boxes
// and the end of the program. Each front end implements it over its own
// native controls.

#include <string>

#include "host/host.h"
#include "shell/logic/control_table.h"

namespace tessaline {

class NavyView {
 public:
  virtual ~NavyView() = default;

  // Texts are UTF-8 and always shown as plain text.
  virtual void SetCaption(ControlId id, const std::string& text) = 0;
  virtual void SetTextColor(ControlId id, Bgr color) = 0;
  // An opaque label's background, or a shape's fill.
  virtual void SetFill(ControlId id, Bgr color) = 0;
  virtual void SetVisible(ControlId id, bool visible) = 0;
  virtual void SetBold(ControlId id, bool bold) = 0;
  // Empty: no tooltip.
  virtual void SetTooltip(ControlId id, const std::string& text) = 0;
  // Whether the rectangle of lblFichiers takes dropped files.
  virtual void SetDropsAccepted(bool accepted) = 0;

  // Runs the events waiting in the event loop, then returns.
  virtual void ProcessEvents() = 0;
  // A modal box under the program's title with one OK button; `details`
  // (the reason, the warnings; may be empty) go under the main text.
  virtual void ShowMessage(const std::string& text, MessageIcon icon,
                           const std::string& details) = 0;
  // Asks for NavyLogic::RunDroppedFiles once the drop event has returned.
  virtual void ScheduleConversion() = 0;
  // Takes the window off the screen while a stopped conversion cleans up.
  virtual void HideWindow() = 0;
  // Ends the program at once: no unload handling, nothing saved.
  virtual void EndProgram() = 0;
};

}  // namespace tessaline
