#include "shell/qt/qt_host.h"

#include "shell/qt/controls.h"

namespace tessaline {

QtHost::QtHost(const PanelControls& controls, QWidget* message_parent, FileSystem* files)
    : detail::PanelViewHolder(message_parent), PanelHost(view, files) {
  view.Register(ControlId::LblStatus, controls.status);
  view.Register(ControlId::LblFichiers, controls.main_percentage);
  view.Register(ControlId::LblDetails, controls.inner_percentage);
  for (int step = 1; step <= 4; ++step) {
    view.Register(StepIndicator(step), controls.steps[static_cast<std::size_t>(step - 1)]);
  }
  view.Register(ControlId::CmdOK, controls.completion);
}

}  // namespace tessaline
