#pragma once
// Navy on Windows: the Win32 front end of the window. A WS_POPUP tool window
// painted with GDI from the control table, with a real push button for
// cmdOK, tooltips, an OLE drop target, the three motion timers and the
// notification-area icon. It turns window messages into events of the
// window's core (NavyCore) and implements the core's port; the core
// decides the rest.

#include "shell/win32/windows_api.h"

#include <memory>
#include <string>

#include "shell/logic/launch_request.h"
#include "shell/logic/navy_core.h"
#include "shell/win32/control_painter.h"
#include "shell/win32/drop_target.h"
#include "shell/win32/systray_window.h"

namespace tessaline::win32 {

class NavyWindow final : private NavyPort {
 public:
  NavyWindow(HINSTANCE instance, NavyServices services);
  ~NavyWindow() override;
  NavyWindow(const NavyWindow&) = delete;
  NavyWindow& operator=(const NavyWindow&) = delete;

  // Start-up: the window and its controls, then the core's start (the disc,
  // device to chart selected, shown topmost without taking the focus).
  // False when the window could not be made.
  bool Load();
  // The files the program was started with, or that a second start handed
  // over (none: come to the front), as the core's "files opened" event.
  void Open(const LaunchRequest& request);
  HWND Window() const { return window_; }
  // cmdOK's paint while it has a thumbnail: false when it has none.
  bool PaintThumbnail(HWND button);
  // Every message of the window (see window_class.h).
  LRESULT Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

 private:
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

  void CreateControls();
  void Paint();
  void Invalidate(ControlId id);
  // cmdOK's or a label's tooltip text, asked for as it shows.
  LRESULT TooltipText(LPARAM notification);

  HINSTANCE instance_;
  PixelScale scale_;
  HWND window_ = nullptr;
  HWND button_ = nullptr;
  HWND tooltip_ = nullptr;
  HBITMAP sphere_ = nullptr;
  HICON icon_ = nullptr;
  HICON small_icon_ = nullptr;
  ControlLooks looks_;
  picture::Thumbnail thumbnail_;  // cmdOK's, above its caption
  PixelRect thumbnail_box_;
  std::wstring shown_tooltip_;  // the text a tooltip is showing
  std::unique_ptr<ControlPainter> painter_;
  NavyCore core_;
  DropTarget drop_target_;
  bool drop_target_registered_ = false;
  std::unique_ptr<SystrayWindow> systray_;
};

}  // namespace tessaline::win32
