#pragma once
// NavyView over Qt widgets: the controls registered under their ids, the
// Qt event loop, message boxes under the program's title.

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>

#include "shell/logic/navy_view.h"

namespace tessaline {

// A modal box under the program's title with one OK button.
// A modal box under the program's title with one OK button; `details` is
// its informative text.
void ShowMessageBox(QWidget* parent, const std::string& text, MessageIcon icon,
                    const std::string& details = std::string());

class QtView : public NavyView {
 public:
  // `window` parents the message boxes and is what HideWindow hides.
  explicit QtView(QWidget* window) : window_(window) {}

  // A NavyLabel, ShapeControl, CompletionButton or DropLabel.
  void Register(ControlId id, QWidget* control);
  QWidget* Control(ControlId id) const { return controls_[static_cast<std::size_t>(id)]; }
  // Who runs NavyLogic::RunDroppedFiles once the drop has returned.
  void SetScheduler(std::function<void()> schedule) { schedule_ = std::move(schedule); }

  void SetCaption(ControlId id, const std::string& text) override;
  void SetTextColor(ControlId id, Bgr color) override;
  void SetFill(ControlId id, Bgr color) override;
  void SetVisible(ControlId id, bool visible) override;
  void SetBold(ControlId id, bool bold) override;
  void SetTooltip(ControlId id, const std::string& text) override;
  void SetDropsAccepted(bool accepted) override;
  void ProcessEvents() override;
  void ShowMessage(const std::string& text, MessageIcon icon, const std::string& details) override;
  void ScheduleConversion() override;
  void HideWindow() override;
  void EndProgram() override;

 private:
  QPointer<QWidget> window_;
  std::array<QWidget*, kControlCount> controls_{};
  std::function<void()> schedule_;
};

}  // namespace tessaline
