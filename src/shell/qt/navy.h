#pragma once
// Navy, the program's window on Qt: a disc-shaped, always-on-top window
// showing the sphere, the direction selector, the drop target lblFichiers
// and the progress panel. It builds its widgets from the control table,
// paints the sphere, turns Qt's events into events of the window's core
// (NavyCore) and implements the core's port; the core decides the rest.

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "shell/logic/launch_request.h"
#include "shell/logic/navy_core.h"
#include "shell/qt/frm_systray.h"

namespace tessaline {

class Navy : public QWidget, private NavyPort {
  Q_OBJECT

 public:
  // The client area in device-independent pixels: 298 x 302.
  static constexpr int kClientWidth = PixelScale().Pixels(kClientWidthTwips);
  static constexpr int kClientHeight = PixelScale().Pixels(kClientHeightTwips);

  explicit Navy(NavyServices services = NavyServices::Default());
  ~Navy() override;

  // Start-up: the disc-shaped region, device to chart selected, and the
  // window shown above all others without taking the focus from anyone.
  void Load();
  // The files the program was started with, or that a second start handed
  // over (none: come to the front), as the core's "files opened" event.
  void Open(const LaunchRequest& request);

  NavyCore& Core() { return *core_; }
  bool SensConversion() const { return core_->Logic().SensConversion(); }
  const std::string& FichierDepose() const { return core_->Logic().FichierDepose(); }
  NavyState State() const { return core_->Logic().State(); }
  ::tessaline::PanelHost& PanelHost() { return core_->Logic().Host(); }
  // Timer1, Timer3 and TmrHit.
  QTimer& Timer(MotionTimer timer) { return timers_[static_cast<std::size_t>(timer)]; }
  // The tray window while the window is hidden into the notification area.
  FrmSystray* Systray() const { return systray_; }
  // Replaces the check for a notification area (tests).
  void SetNotificationAreaCheck(std::function<bool()> available) {
    notification_area_ = std::move(available);
  }

 signals:
  // The dropped files have all been handled (or the rest given up after a
  // stop) and the drop target works again.
  void conversionsFinished();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls();
  QWidget* Control(ControlId id) const { return controls_[static_cast<std::size_t>(id)]; }

  // NavyPort
  void SetCaption(ControlId id, const std::string& text) override;
  void SetTextColor(ControlId id, Bgr color) override;
  void SetFill(ControlId id, Bgr color) override;
  void SetVisible(ControlId id, bool visible) override;
  void SetBold(ControlId id, bool bold) override;
  void SetTooltip(ControlId id, const std::string& text) override;
  void SetThumbnail(ControlId id, const picture::Thumbnail& thumbnail, const PixelRect& box) override;
  void CutToShape(const std::vector<PixelRect>& rows) override;
  void ShowWindow() override;
  void HideWindow() override;
  bool IsWindowShown() const override;
  void GiveFocus() override;
  void BringToFront() override;
  PixelRect WindowBox() const override;
  PixelRect ScreenBox() const override;
  void MoveWindow(PixelPoint top_left) override;
  void CapturePointer(bool captured) override;
  void StartTimer(MotionTimer timer, int interval_ms) override;
  void StopTimer(MotionTimer timer) override;
  bool NotificationAreaAvailable() const override;
  bool AddTrayIcon(const std::string& tooltip) override;
  void RemoveTrayIcon() override;
  void ShowMessage(const std::string& text, MessageIcon icon, const std::string& details) override;
  void ShowAbout(const std::string& text) override;
  void ProcessEvents() override;
  void ScheduleConversion() override;
  void EndProgram() override;

  std::array<QWidget*, kControlCount> controls_{};
  std::array<QTimer, 3> timers_;
  QPointer<FrmSystray> systray_;
  std::function<bool()> notification_area_;
  QImage picture_;
  std::unique_ptr<NavyCore> core_;
};

}  // namespace tessaline
