#pragma once
// The port: everything the window's core (NavyCore) asks of a front end,
// in one table of calls. A front end implements it over its toolkit and
// decides nothing: each call says when the core makes it. Positions and
// sizes are in the front end's own pixels (the core turns them into twips
// with the PixelScale it was given); texts are UTF-8, always plain text.

#include <string>
#include <vector>

#include "host/host.h"
#include "picture/thumbnail.h"
#include "shell/logic/control_table.h"
#include "shell/logic/pixel_scale.h"
#include "shell/logic/window_motion.h"

namespace tessaline {

class NavyPort {
 public:
  virtual ~NavyPort() = default;

  // ---- The controls of the table (control_table.h), whenever the logic or
  // a converter changes one. The front end shows the change (at its next
  // paint at the latest).
  virtual void SetCaption(ControlId id, const std::string& text) = 0;
  virtual void SetTextColor(ControlId id, Bgr color) = 0;
  // An opaque label's background, or a shape's fill.
  virtual void SetFill(ControlId id, Bgr color) = 0;
  virtual void SetVisible(ControlId id, bool visible) = 0;
  virtual void SetBold(ControlId id, bool bold) = 0;
  // Empty: no tooltip. Made for cmdOK after each completion, and for Label4
  // whenever its tooltip is about to show.
  virtual void SetTooltip(ControlId id, const std::string& text) = 0;
  // Made for cmdOK after each conversion that completed, once its outputs
  // are written: the picture of what was written, fitted into `box` (in the
  // button's own pixels), shown above the caption, which takes the rest of
  // the button. An empty thumbnail: the caption alone, as before.
  virtual void SetThumbnail(ControlId id, const picture::Thumbnail& thumbnail, const PixelRect& box) = 0;

  // ---- The window.
  // Once, at start-up, before the window first shows: the window keeps only
  // these pixels of its client area (one rectangle per row).
  virtual void CutToShape(const std::vector<PixelRect>& rows) = 0;
  // Shown above the other windows without taking the focus: at start-up and
  // when it comes back from the notification area.
  virtual void ShowWindow() = 0;
  // Hidden into the notification area, or while a stopped conversion
  // cleans up before the program ends.
  virtual void HideWindow() = 0;
  virtual bool IsWindowShown() const = 0;
  // At the end of the grace period after a throw, while shown.
  virtual void GiveFocus() = 0;
  // Files were opened with the program, or a second start asked for the
  // window: the shown window is restored if minimized, raised above the
  // others and activated, as far as the system lets a program do so.
  virtual void BringToFront() = 0;
  // The window's outer box, and the full box of the screen it is on, in
  // pixels of the desktop.
  virtual PixelRect WindowBox() const = 0;
  virtual PixelRect ScreenBox() const = 0;
  // Whenever the motion moves the window: its top-left corner goes there.
  virtual void MoveWindow(PixelPoint top_left) = 0;
  // A left press on a label, or any press on the window's own surface,
  // keeps the pointer's events for the window until the matching release
  // (true); the release gives it back (false).
  virtual void CapturePointer(bool captured) = 0;

  // ---- Timers: the core starts a timer only when it is stopped (a
  // running timer keeps its rhythm) and answers each tick with
  // NavyCore::TimerTicked.
  virtual void StartTimer(MotionTimer timer, int interval_ms) = 0;
  virtual void StopTimer(MotionTimer timer) = 0;

  // ---- The notification area.
  // Asked before each hide and whenever Label4's tooltip is about to show.
  virtual bool NotificationAreaAvailable() const = 0;
  // Label4 hides the window: the hidden tray window and its icon with this
  // tooltip, whose double-click, menu and closing come back as
  // NavyCore::Tray... events. False when there is no icon (the window then
  // comes back at once).
  virtual bool AddTrayIcon(const std::string& tooltip) = 0;
  // The window comes back: the icon and the tray window go. May come from
  // inside one of the tray window's own events.
  virtual void RemoveTrayIcon() = 0;

  // ---- Boxes, the event loop and the end.
  // A modal box under the program's title with one OK button; `details`
  // (the reason, the warnings; may be empty) go under the main text.
  virtual void ShowMessage(const std::string& text, MessageIcon icon,
                           const std::string& details) = 0;
  // "A propos de..." from the tray menu: an information box under the
  // program's title. The tray window may go while it is open.
  virtual void ShowAbout(const std::string& text) = 0;
  // Inside a conversion, about every 10 ms: runs the events waiting in the
  // event loop, then returns.
  virtual void ProcessEvents() = 0;
  // After a drop has been taken: NavyCore::ConversionDue once the drop
  // event has returned, so that the program the files came from is not
  // kept waiting meanwhile.
  virtual void ScheduleConversion() = 0;
  // Ends the program at once: no unload handling, nothing saved.
  virtual void EndProgram() = 0;
};

}  // namespace tessaline
