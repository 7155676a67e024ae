#include "shell/logic/navy_core.h"

#include "shell/logic/window_shape.h"
#include "shell/logic/window_texts.h"

namespace tessaline {

namespace {

// Timer1 and Timer3 tick every 10 ms, TmrHit once after 500 ms.
constexpr int kIntervalsMs[3] = {10, 10, 500};

DropEffect SafeEffect(int offered) {
  if (offered & kDropCopy) return DropEffect::Copy;
  if (offered & kDropLink) return DropEffect::Link;
  return DropEffect::None;
}

}  // namespace

NavyCore::NavyCore(NavyPort& port, NavyServices services, PixelScale scale)
    : port_(port),
      scale_(scale),
      logic_(port, std::move(services), scale),
      motion_(static_cast<MotionSurface&>(*this)),
      left_(scale.TwipsPerPixel()),
      top_(scale.TwipsPerPixel()) {}

NavyCore::~NavyCore() = default;

void NavyCore::Load() {
  // Cut before the window first shows, so that the square's corners never
  // flash.
  port_.CutToShape(DiscRows(scale_));
  logic_.Load();
  port_.ShowWindow();
}

// ---------------------------------------------------------------- pointer

std::optional<ControlId> NavyCore::ControlAt(PixelPoint at) const {
  const auto& table = ControlTable();
  for (auto row = table.rbegin(); row != table.rend(); ++row) {
    bool visible = row->visible;
    if (row->id == ControlId::Label1 || row->id == ControlId::Label2) {
      visible = logic_.State() != NavyState::Converting;
    } else if (row->id == ControlId::CmdOK) {
      visible = logic_.CompletionShown();
    }
    if (!visible || !scale_.Box(*row).Contains(at)) continue;
    if (IsSurface(row->kind)) return std::nullopt;
    return row->id;
  }
  return std::nullopt;
}

float NavyCore::TwipsX(PixelPoint at) const {
  const PixelRect window = port_.WindowBox();
  const PixelRect screen = port_.ScreenBox();
  return static_cast<float>((window.left + at.x - screen.left) * scale_.TwipsPerPixel() - Left());
}

float NavyCore::TwipsY(PixelPoint at) const {
  const PixelRect window = port_.WindowBox();
  const PixelRect screen = port_.ScreenBox();
  return static_cast<float>((window.top + at.y - screen.top) * scale_.TwipsPerPixel() - Top());
}

void NavyCore::PointerMoved(int buttons, PixelPoint at) {
  // A press keeps the moves where it was made until every button is up.
  const std::optional<ControlId> label =
      surface_buttons_ != 0 || pressed_label_ ? pressed_label_ : ControlAt(at);
  if (!label) {
    motion_.MouseMove(buttons, TwipsX(at), TwipsY(at));
  } else if (*label == ControlId::Label3) {
    logic_.HoverLabel3();
  } else if (*label == ControlId::Label4) {
    logic_.HoverLabel4();
  }
}

void NavyCore::PointerPressed(int button, PixelPoint at) {
  if (surface_buttons_ == 0 && !pressed_label_) {
    // Labels take their own presses: only the left one counts, as a click
    // once released over the same label.
    if (const std::optional<ControlId> label = ControlAt(at)) {
      if (button == kLeftButton && *label != ControlId::CmdOK) {
        pressed_label_ = label;
        port_.CapturePointer(true);
      }
      return;
    }
  } else if (pressed_label_) {
    return;
  }
  if (surface_buttons_ == 0) port_.CapturePointer(true);
  surface_buttons_ |= button;
  motion_.MousePress(button, TwipsX(at), TwipsY(at));
}

void NavyCore::PointerReleased(int button, PixelPoint at) {
  if (pressed_label_) {
    if (button != kLeftButton) return;
    const ControlId label = *pressed_label_;
    pressed_label_.reset();
    port_.CapturePointer(false);
    if (scale_.Box(RowOf(label)).Contains(at)) LabelClicked(label);
    return;
  }
  if ((surface_buttons_ & button) == 0) return;
  surface_buttons_ &= ~button;
  if (surface_buttons_ == 0) port_.CapturePointer(false);
  motion_.MouseRelease(button, TwipsX(at), TwipsY(at));
}

void NavyCore::PointerLost() {
  surface_buttons_ = 0;
  pressed_label_.reset();
}

void NavyCore::KeyPressed(int character) { motion_.KeyPress(character); }

void NavyCore::TimerTicked(MotionTimer timer) {
  // A tick already queued when its timer stopped changes nothing.
  if (!TimerRunning(timer)) return;
  switch (timer) {
    case MotionTimer::Move:
      motion_.MoveTick();
      break;
    case MotionTimer::Physics:
      motion_.PhysicsTick();
      break;
    case MotionTimer::Grace:
      motion_.GraceTick();
      break;
  }
}

void NavyCore::LabelClicked(ControlId id) {
  switch (id) {
    case ControlId::Label1:
      logic_.Label1Clicked();
      break;
    case ControlId::Label2:
      logic_.Label2Clicked();
      break;
    case ControlId::Label3:
      logic_.CloseRequested();
      break;
    case ControlId::Label4:
      // A notification area may come or go while the program runs: the
      // tooltip is decided on each click too.
      TooltipShowing(ControlId::Label4);
      HideToTray();
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------- drops

DropEffect NavyCore::DragEntered(int offered) const { return SafeEffect(offered); }

DropEffect NavyCore::DragOver(PixelPoint at, int offered) const {
  if (!logic_.AcceptsDrops() || logic_.CompletionShown()) {
    return DropEffect::None;
  }
  // The step indicators, Line3 and lblDetails lie in front of lblFichiers:
  // its whole rectangle takes the drop.
  if (!scale_.Box(RowOf(ControlId::LblFichiers)).Contains(at)) return DropEffect::None;
  return SafeEffect(offered);
}

DropEffect NavyCore::FilesDropped(PixelPoint at, int offered, std::vector<std::string> paths) {
  const DropEffect effect = DragOver(at, offered);
  if (effect != DropEffect::None) logic_.Dropped(std::move(paths));
  return effect;
}

void NavyCore::FilesOpened(std::vector<std::string> paths, Request request) {
  if (logic_.Closing()) return;
  Restore();
  port_.BringToFront();
  logic_.Opened(std::move(paths), request);
}

// ---------------------------------------------------------------- the rest

void NavyCore::CompletionClicked() { logic_.CmdOkClicked(); }

void NavyCore::TooltipShowing(ControlId id) {
  if (id != ControlId::Label4) return;
  port_.SetTooltip(id, port_.NotificationAreaAvailable() ? window_texts::kHideTooltip
                                                         : window_texts::kNoTrayTooltip);
}

// Without a notification area the window would vanish with no way back, so
// it stays.
void NavyCore::HideToTray() {
  if (in_tray_ || !port_.NotificationAreaAvailable()) return;
  port_.HideWindow();
  if (!port_.AddTrayIcon(window_texts::kTrayTooltip)) {
    port_.ShowWindow();  // no icon, no way back but this
    return;
  }
  in_tray_ = true;
}

// Only a left double-click restores; a click arriving while another is
// being handled is dropped.
void NavyCore::TrayIconClicked(TrayClick click) {
  if (tray_busy_) return;
  tray_busy_ = true;
  if (click == TrayClick::DoubleClick) Restore();
  tray_busy_ = false;
}

void NavyCore::TrayRestoreChosen() { Restore(); }

void NavyCore::Restore() {
  // Marked first, so that a close of the tray window arriving while it
  // goes finds nothing left to restore.
  if (!in_tray_) return;
  in_tray_ = false;
  port_.RemoveTrayIcon();
  port_.ShowWindow();
}

void NavyCore::TrayAboutChosen() { port_.ShowAbout(window_texts::kAboutText); }

void NavyCore::CloseRequested() { logic_.CloseRequested(); }

void NavyCore::QuitRequested() {
  if (logic_.State() == NavyState::Converting) logic_.Host().RequestStop();
}

void NavyCore::ConversionDue() { logic_.RunDroppedFiles(); }

// ---------------------------------------------------------------- MotionSurface

float NavyCore::Left() const {
  return static_cast<float>(left_.Read(port_.WindowBox().left, port_.ScreenBox().left));
}

float NavyCore::Top() const {
  return static_cast<float>(top_.Read(port_.WindowBox().top, port_.ScreenBox().top));
}

float NavyCore::Width() const {
  return static_cast<float>(port_.WindowBox().width * scale_.TwipsPerPixel());
}

float NavyCore::Height() const {
  return static_cast<float>(port_.WindowBox().height * scale_.TwipsPerPixel());
}

void NavyCore::SetLeft(float left) {
  const int x = left_.Place(left, port_.ScreenBox().left);
  port_.MoveWindow({x, port_.WindowBox().top});
}

void NavyCore::SetTop(float top) {
  const int y = top_.Place(top, port_.ScreenBox().top);
  port_.MoveWindow({port_.WindowBox().left, y});
}

void NavyCore::MoveTo(float left, float top) {
  const PixelRect screen = port_.ScreenBox();
  const int x = left_.Place(left, screen.left);
  const int y = top_.Place(top, screen.top);
  port_.MoveWindow({x, y});
}

float NavyCore::ScreenWidth() const {
  return static_cast<float>(port_.ScreenBox().width * scale_.TwipsPerPixel());
}

float NavyCore::ScreenHeight() const {
  return static_cast<float>(port_.ScreenBox().height * scale_.TwipsPerPixel());
}

void NavyCore::SetTimerEnabled(MotionTimer timer, bool enabled) {
  bool& running = timers_[Index(timer)];
  // Enabling a running timer leaves its rhythm alone.
  if (running == enabled) return;
  running = enabled;
  if (enabled) {
    port_.StartTimer(timer, kIntervalsMs[Index(timer)]);
  } else {
    port_.StopTimer(timer);
  }
}

bool NavyCore::IsShown() const { return port_.IsWindowShown(); }

void NavyCore::GiveFocus() { port_.GiveFocus(); }

void NavyCore::SetCommandLabelsRegular() { logic_.HoverSurface(); }

}  // namespace tessaline
