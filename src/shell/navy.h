#pragma once
// Navy, the program's window: a disc-shaped, always-on-top window showing
// the sphere, the direction selector, the drop target lblFichiers and the
// progress panel the converters report on.

#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "convert/device_to_chart/device_to_chart_converter.h"
#include "convert/device_to_chart/staging_location.h"
#include "platform/clock.h"
#include "platform/regional_settings.h"
#include "host/file_system.h"
#include "shell/motion/motion_binding.h"
#include "shell/qt_host.h"
#include "shell/tray/tray_binding.h"

class QKeyEvent;
class QMimeData;
class QMouseEvent;

namespace tessaline {

class CompletionButton;
class DropLabel;
class LineControl;
class NavyLabel;
class ShapeControl;

enum class NavyState {
  Idle,        // waiting for a drop
  Converting,  // direction labels hidden, drops refused
  Done,        // the completion button covers the panel until clicked
};

// What the window's conversions run with; tests and benchmarks choose their
// own.
struct NavyServices {
  StagingLocation staging;
  RegionalSettings regional;
  Clock* clock = nullptr;            // null: the system clock
  FileSystem* files = nullptr;       // null: the machine's file system
  MessagePresenter present_message;  // empty: message boxes

  // The running program's staging location and the user's regional settings.
  static NavyServices Default();
};

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
  void SetCommandLabelsRegular();

  bool SensConversion() const { return sens_conversion_; }
  const std::string& FichierDepose() const { return fichier_depose_; }
  NavyState State() const { return state_; }
  QtHost& PanelHost() { return *host_; }
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

 private:
  void BuildControls();
  void SelectDeviceToChart();
  void SelectChartToDevice();
  void HoverCommandLabel(NavyLabel* bold, NavyLabel* regular);
  void CloseRequested();
  void Dropped(const QMimeData* data);
  void RunDroppedFiles();
  void ConvertOne(const std::string& path);
  void ResetPanel();
  void EndProgram();

  NavyServices services_;
  SystemClock system_clock_;

  ShapeControl* shape1_ = nullptr;
  NavyLabel* label1_ = nullptr;
  LineControl* line1_ = nullptr;
  NavyLabel* lbl_status_ = nullptr;
  CompletionButton* cmd_ok_ = nullptr;
  DropLabel* lbl_fichiers_ = nullptr;
  NavyLabel* lbl_details_ = nullptr;
  LineControl* line3_ = nullptr;
  ShapeControl* shp_etape_[4] = {};
  LineControl* line2_ = nullptr;
  NavyLabel* label2_ = nullptr;
  NavyLabel* label4_ = nullptr;
  NavyLabel* label3_ = nullptr;

  std::unique_ptr<QtHost> host_;
  std::unique_ptr<DeviceToChartConverter> device_to_chart_;

  bool sens_conversion_ = true;
  std::string fichier_depose_;
  std::deque<std::string> pending_;
  NavyState state_ = NavyState::Idle;
  bool end_after_conversion_ = false;

  std::unique_ptr<MotionBinding> motion_;
  std::unique_ptr<SurfaceEvents> motion_events_;
  std::unique_ptr<TrayBinding> tray_;
  SurfaceEvents* surface_events_ = nullptr;
  std::function<void()> hide_action_;
  QImage picture_;
};

}  // namespace tessaline
