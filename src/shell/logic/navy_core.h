#pragma once
// The window's core: every rule of the main window Navy, whatever toolkit
// draws it. A front end builds its controls from the control table, paints,
// implements the port (navy_port.h) and turns each native event into one of
// the calls below; the core decides what follows and acts through the port.
//
// It owns the panel's logic (NavyLogic: selector, drops, conversions,
// closing), the motion (WindowMotion and its three timers), the window's
// place in twips, which label the pointer is on or pressed, and the
// notification-area state.

#include <optional>
#include <string>
#include <vector>

#include "shell/logic/navy_logic.h"
#include "shell/logic/navy_port.h"
#include "shell/logic/pixel_scale.h"
#include "shell/logic/twips_axis.h"
#include "shell/logic/window_motion.h"

namespace tessaline {

// The effects a drag source offers, as a set of bits, and the one a drop
// takes.
inline constexpr int kDropCopy = 1;
inline constexpr int kDropMove = 2;
inline constexpr int kDropLink = 4;
enum class DropEffect { None, Copy, Link };

// What the notification-area icon reports.
enum class TrayClick {
  DoubleClick,  // a double-click with the left (primary) button
  Other,        // any other click or activation
};

class NavyCore : private MotionSurface {
 public:
  // `scale`: the front end's pixels (the Qt window's device-independent
  // pixels, the system's dots per inch on Windows).
  NavyCore(NavyPort& port, NavyServices services, PixelScale scale = PixelScale());
  NavyCore(const NavyCore&) = delete;
  NavyCore& operator=(const NavyCore&) = delete;
  ~NavyCore() override;

  // Start-up, once the controls are built: the window is cut to the disc,
  // device to chart is selected and the window shows.
  void Load();

  // ---- Pointer and keyboard, on the window's client area (the completion
  // button takes its own). Positions are client pixels; `button` is one of
  // kLeftButton, kRightButton, kMiddleButton; `buttons` the set held. A
  // double-click's second press is a press.
  void PointerPressed(int button, PixelPoint at);
  void PointerMoved(int buttons, PixelPoint at);
  void PointerReleased(int button, PixelPoint at);
  // The pointer was taken away (a message box, another program): the
  // buttons held over the window no longer count.
  void PointerLost();
  // A character typed while the window has the focus: 27 for Esc.
  void KeyPressed(int character);
  void TimerTicked(MotionTimer timer);

  // ---- Dragged files. The effect to show or take: copy, or else link,
  // never move (the source would then delete the file). DragEntered is for
  // toolkits that want the whole window to accept the drag at its edge.
  DropEffect DragEntered(int offered) const;
  DropEffect DragOver(PixelPoint at, int offered) const;
  // The files in drop order (none: a drop without files); taken only over
  // lblFichiers while it accepts drops.
  DropEffect FilesDropped(PixelPoint at, int offered, std::vector<std::string> paths);

  // ---- Files the system opens with the program: on its command line, or
  // handed over by a second start (absolute paths, in the order given).
  // The window comes to the front, out of the notification area if hidden
  // there, and converts each file as if it had been dropped (see
  // NavyLogic::Opened), or along the road `request` gives it. No files:
  // the window only comes to the front. Ignored once the program is
  // closing.
  void FilesOpened(std::vector<std::string> paths, Request request);

  // ---- The rest of the window's events.
  void CompletionClicked();  // cmdOK
  // A control's tooltip is about to show: Label4's says whether there is a
  // notification area to hide into (given to the port before it shows).
  void TooltipShowing(ControlId id);
  void TrayIconClicked(TrayClick click);
  // "Restaurer", or the tray window closed any other way.
  void TrayRestoreChosen();
  void TrayAboutChosen();  // "A propos de..."
  // The windowing system closes the window (Alt+F4, log-off): as Label3.
  void CloseRequested();
  // The session asks the program to quit while a conversion runs the event
  // loop: the conversion stops, and the program ends once it has returned.
  void QuitRequested();
  // The call the port was asked for by ScheduleConversion.
  void ConversionDue();

  // ---- What the window shows now.
  // The frontmost visible control under a client point that keeps the
  // pointer to itself (a label, or cmdOK when shown); none over the
  // window's own surface (picture, panel, lines, step indicators).
  std::optional<ControlId> ControlAt(PixelPoint at) const;
  const PixelScale& Scale() const { return scale_; }
  NavyLogic& Logic() { return logic_; }
  const WindowMotion& Motion() const { return motion_; }
  bool TimerRunning(MotionTimer timer) const { return timers_[Index(timer)]; }
  bool InTray() const { return in_tray_; }

 private:
  static std::size_t Index(MotionTimer timer) { return static_cast<std::size_t>(timer); }
  void LabelClicked(ControlId id);
  void HideToTray();
  void Restore();
  // A client point as twips from the window's top-left corner, measured
  // from where the motion believes the window is.
  float TwipsX(PixelPoint at) const;
  float TwipsY(PixelPoint at) const;

  // MotionSurface: the window's place and size in twips over the port.
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
  void SetCommandLabelsRegular() override;

  NavyPort& port_;
  PixelScale scale_;
  NavyLogic logic_;
  WindowMotion motion_;
  TwipsAxis left_;
  TwipsAxis top_;
  bool timers_[3] = {};
  std::optional<ControlId> pressed_label_;
  int surface_buttons_ = 0;
  bool in_tray_ = false;
  bool tray_busy_ = false;
};

}  // namespace tessaline
