#pragma once
// Navy, the program's window: a disc-shaped, always-on-top window showing
// the sphere, the direction selector, the drop target lblFichiers and the
// progress panel the converters report on.

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "shell/logic/navy_logic.h"
#include "shell/qt/motion_binding.h"
#include "shell/qt/qt_view.h"
#include "shell/qt/tray_binding.h"

class QKeyEvent;
class QMimeData;
class QMouseEvent;

namespace tessaline {

class NavyLabel;

// Receives the mouse and key events of the window's own surface: the
// picture, the panel, the lines and the step indicators. Labels and the
// completion button keep theirs.
class SurfaceEvents {
 public:
  virtual ~SurfaceEvents() = default;
  virtual void MousePress(const QMouseEvent& event) = 0;
  virtual void MouseMove(const QMouseEvent& event) = 0;
  virtual void MouseRelease(const QMouseEvent& event) = 0;
  virtual void KeyPress(const QKeyEvent& event) = 0;
};

// The Qt front end of the window: builds the controls of the shared table,
// paints the sphere and turns Qt's events into calls of NavyLogic.
class Navy : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 298;
  static constexpr int kClientHeight = 302;

  explicit Navy(NavyServices services = NavyServices::Default());
  ~Navy() override;

  // Start-up: the disc-shaped region, device to chart selected, and the
  // window shown above all others without taking the focus from anyone.
  void Load();

  // Who takes the surface's events; the window's own motion unless replaced.
  // Whoever takes them also clears the command labels' hover on each move
  // (the motion does it between moving the window and ending a flight);
  // with null the window only clears that hover.
  void SetSurfaceEvents(SurfaceEvents* events) { surface_events_ = events; }
  // What a click on Label4 does; hiding into the notification area unless
  // replaced.
  void SetHideAction(std::function<void()> action) { hide_action_ = std::move(action); }
  // Both command labels back to regular weight.
  void SetCommandLabelsRegular() { logic_->HoverSurface(); }

  bool SensConversion() const { return logic_->SensConversion(); }
  const std::string& FichierDepose() const { return logic_->FichierDepose(); }
  NavyState State() const { return logic_->State(); }
  ::tessaline::PanelHost& PanelHost() { return logic_->Host(); }
  // Dragging, throwing and Esc, with Timer1, Timer3 and TmrHit.
  MotionBinding& Motion() { return *motion_; }
  // Label4 and the notification-area icon.
  TrayBinding& Tray() { return *tray_; }

 signals:
  // The dropped files have all been handled (or the rest given up after a
  // stop) and the drop target works again.
  void conversionsFinished();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Drops over what lies in front of lblFichiers (the step indicators,
  // Line3, lblDetails) reach the window: its rectangle is the target.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls();
  NavyLabel* LabelOf(ControlId id) const;
  bool InDropTarget(QPointF at) const;
  void Dropped(const QMimeData* data);
  void RunDroppedFiles();

  QtView view_;
  std::unique_ptr<NavyLogic> logic_;
  std::unique_ptr<MotionBinding> motion_;
  std::unique_ptr<SurfaceEvents> motion_events_;
  std::unique_ptr<TrayBinding> tray_;
  SurfaceEvents* surface_events_ = nullptr;
  std::function<void()> hide_action_;
  QImage picture_;
};

}  // namespace tessaline
