#pragma once
// The converters' host over the panel's Qt controls alone, without the
// window around them.

#include <QWidget>
#include <array>

#include "shell/logic/panel_host.h"
#include "shell/qt/qt_view.h"

class QLabel;

namespace tessaline {

class CompletionButton;
class NavyLabel;
class ShapeControl;

// The controls of the progress panel.
struct PanelControls {
  NavyLabel* status = nullptr;             // lblStatus
  NavyLabel* main_percentage = nullptr;    // lblFichiers
  NavyLabel* inner_percentage = nullptr;   // lblDetails
  std::array<ShapeControl*, 4> steps{};    // ShpEtape1..4
  CompletionButton* completion = nullptr;  // cmdOK
};

namespace detail {
// Built before the host that acts on it.
struct PanelViewHolder {
  explicit PanelViewHolder(QWidget* message_parent) : view(message_parent) {}
  QtView view;
};
}  // namespace detail

class QtHost final : private detail::PanelViewHolder, public PanelHost {
 public:
  static constexpr int kMaxCheckStride = YieldPacer::kMaxCheckStride;

  // `files` null: the machine's file system.
  QtHost(const PanelControls& controls, QWidget* message_parent, FileSystem* files = nullptr);
};

}  // namespace tessaline
