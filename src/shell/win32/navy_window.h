#pragma once
// Navy on Windows: the Win32 front end of the window. A WS_POPUP tool window
// cut to the disc, kept topmost, painted with GDI from the control table,
// with a real push button for cmdOK, tooltips, an OLE drop target on
// lblFichiers, the three motion timers and the notification-area icon.
// Everything it decides goes through NavyLogic, WindowMotion and
// TrayStateMachine.

#include "shell/win32/windows_api.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/logic/navy_logic.h"
#include "shell/logic/tray_state_machine.h"
#include "shell/logic/twips_axis.h"
#include "shell/logic/window_motion.h"
#include "shell/win32/control_painter.h"
#include "shell/win32/drop_target.h"
#include "shell/win32/screen_scale.h"
#include "shell/win32/systray_window.h"

namespace tessaline::win32 {

class NavyWindow final : public NavyView,
                         private MotionSurface,
                         private TrayHost,
                         private DropClient,
                         private SystrayEvents {
 public:
  NavyWindow(HINSTANCE instance, NavyServices services);
  ~NavyWindow() override;
  NavyWindow(const NavyWindow&) = delete;
  NavyWindow& operator=(const NavyWindow&) = delete;

  // Start-up: the disc-shaped region, topmost, device to chart selected,
  // shown without taking the focus. False when the window could not be made.
  bool Load();
  HWND Window() const { return window_; }
  // Every message of the window (see window_class.h).
  LRESULT Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  // NavyView
  void SetCaption(ControlId id, const std::string& text) override;
  void SetTextColor(ControlId id, Bgr color) override;
  void SetFill(ControlId id, Bgr color) override;
  void SetVisible(ControlId id, bool visible) override;
  void SetBold(ControlId id, bool bold) override;
  void SetTooltip(ControlId id, const std::string& text) override;
  void SetDropsAccepted(bool accepted) override { drops_accepted_ = accepted; }
  void ProcessEvents() override;
  void ShowMessage(const std::string& text, MessageIcon icon, const std::string& details) override;
  void ScheduleConversion() override;
  void HideWindow() override;
  void EndProgram() override;

 private:
  // MotionSurface
  float Left() const override;
  float Top() const override;
  float Width() const override;
  float Height() const override;
  void SetLeft(float left) override;
  void SetTop(float top) override;
  void MoveTo(float left, float top) override;
  float ScreenWidth() const override;
  float ScreenHeight() const override;
  void SetTimerEnabled(MotionTimer timer, bool enabled) override;
  bool IsShown() const override;
  void GiveFocus() override;
  void SetCommandLabelsRegular() override { logic_.HoverSurface(); }

  // TrayHost
  bool NotificationAreaAvailable() const override;
  void HideMainWindow() override;
  void ShowMainWindow() override;
  std::unique_ptr<TrayWindow> CreateTrayWindow() override;

  // DropClient
  bool AcceptsDropAt(POINT client_point) override;
  void FilesDropped(std::vector<std::string> paths) override;

  // SystrayEvents
  void Notified(std::int32_t tray_code) override { tray_.Notify(tray_code); }
  void RestoreChosen() override { tray_.Restore(); }
  void AboutChosen() override;

  void CreateControls();
  void Paint();
  void Invalidate(ControlId id);
  // The frontmost visible label under a client point; none over the
  // window's own surface (picture, panel, lines, step indicators).
  std::optional<ControlId> LabelAt(POINT client) const;
  void MouseMove(WPARAM buttons, POINT client);
  void MouseDown(int button, POINT client);
  void MouseUp(int button, POINT client);
  void LabelClicked(ControlId id);
  // A client point as twips from the window's top-left corner, measured
  // from where the motion believes the window is.
  POINT ToScreen(POINT client) const;
  float TwipsX(POINT client) const;
  float TwipsY(POINT client) const;
  RECT WindowRect() const;

  HINSTANCE instance_;
  ScreenScale scale_;
  HWND window_ = nullptr;
  HWND button_ = nullptr;
  HWND tooltip_ = nullptr;
  HBITMAP sphere_ = nullptr;
  HICON icon_ = nullptr;
  HICON small_icon_ = nullptr;
  ControlLooks looks_;
  std::wstring completion_tooltip_;  // cmdOK's: what the files of the drop gave
  std::wstring shown_tooltip_;       // the text a tooltip is showing
  std::unique_ptr<ControlPainter> painter_;
  NavyLogic logic_;
  WindowMotion motion_;
  TrayStateMachine tray_;
  DropTarget drop_target_;
  bool drop_target_registered_ = false;
  bool drops_accepted_ = true;
  TwipsAxis left_;
  TwipsAxis top_;
  bool timers_[3] = {};
  std::optional<ControlId> pressed_label_;
  int surface_buttons_ = 0;
};

}  // namespace tessaline::win32
