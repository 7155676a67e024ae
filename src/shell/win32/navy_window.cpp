#include "shell/win32/navy_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include "platform/wide_text_win.h"
#include "shell/logic/window_texts.h"
#include "shell/win32/resource_ids.h"
#include "shell/win32/window_class.h"

namespace tessaline::win32 {

namespace {

constexpr wchar_t kClassName[] = L"TessalineNavy";
// Posted by a drop: the conversions run once the drop has returned.
constexpr UINT kConvertMessage = WM_APP + 1;
constexpr UINT_PTR kButtonId = 1;
constexpr UINT_PTR kTimerIds[3] = {1, 3, 4};  // Timer1, Timer3, TmrHit
constexpr UINT kTimerIntervals[3] = {10, 10, 500};

std::size_t Index(ControlId id) { return static_cast<std::size_t>(id); }

std::size_t TimerIndex(MotionTimer timer) {
  switch (timer) {
    case MotionTimer::Move:
      return 0;
    case MotionTimer::Physics:
      return 1;
    case MotionTimer::Grace:
      break;
  }
  return 2;
}

// The motion's set of buttons from a mouse message's key state.
int ButtonBits(WPARAM keys) {
  int bits = 0;
  if (keys & MK_LBUTTON) bits |= kLeftButton;
  if (keys & MK_RBUTTON) bits |= kRightButton;
  if (keys & MK_MBUTTON) bits |= kMiddleButton;
  return bits;
}

POINT PointOf(LPARAM lparam) { return POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}; }

}  // namespace

NavyWindow::NavyWindow(HINSTANCE instance, NavyServices services)
    : instance_(instance),
      scale_(ScreenScale::OfSystem()),
      looks_(InitialLooks()),
      logic_(*this, std::move(services)),
      motion_(static_cast<MotionSurface&>(*this)),
      tray_(static_cast<TrayHost&>(*this)),
      drop_target_(static_cast<DropClient&>(*this)),
      left_(scale_.TwipsPerPixel()),
      top_(scale_.TwipsPerPixel()) {}

NavyWindow::~NavyWindow() {
  if (drop_target_registered_) RevokeDragDrop(window_);
  if (window_ != nullptr) {
    Detach(window_);
    DestroyWindow(window_);
  }
  painter_.reset();
  if (sphere_ != nullptr) DeleteObject(sphere_);
}

bool NavyWindow::Load() {
  sphere_ = static_cast<HBITMAP>(LoadImageW(instance_, MAKEINTRESOURCEW(TESSALINE_SPHERE_ID),
                                            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  icon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(TESSALINE_ICON_ID), IMAGE_ICON,
                                        GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  small_icon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(TESSALINE_ICON_ID),
                                              IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), 0));
  painter_ = std::make_unique<ControlPainter>(scale_, sphere_);

  RegisterWindowClass(instance_, kClassName, &RoutedProcedure<NavyWindow>, icon_, small_icon_);

  const std::wstring title = platform::Widen(window_texts::kTitle);
  // No border, no title bar, no taskbar button.
  window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, title.c_str(), WS_POPUP | WS_CLIPCHILDREN,
                            CW_USEDEFAULT, CW_USEDEFAULT, scale_.Px(kClientWidthTwips),
                            scale_.Px(kClientHeightTwips), nullptr, nullptr, instance_, this);
  if (window_ == nullptr) return false;
  CreateControls();
  drop_target_.SetWindow(window_);
  drop_target_registered_ = RegisterDragDrop(window_, &drop_target_) == S_OK;

  // The disc: the region belongs to the system from here on. Set before
  // the window first shows, so that the square's corners never flash.
  HRGN disc = CreateRoundRectRgn(scale_.Scaled(kRegion[0]), scale_.Scaled(kRegion[1]),
                                 scale_.Scaled(kRegion[2]), scale_.Scaled(kRegion[3]),
                                 scale_.Scaled(kRegion[4]), scale_.Scaled(kRegion[5]));
  SetWindowRgn(window_, disc, TRUE);
  // Topmost and shown, without moving, sizing or activating it.
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  logic_.Load();
  return true;
}

void NavyWindow::CreateControls() {
  const ControlSpec& ok = RowOf(ControlId::CmdOK);
  const RECT box = scale_.Box(ok);
  const std::wstring caption = looks_[Index(ControlId::CmdOK)].caption;
  button_ = CreateWindowExW(0, L"BUTTON", caption.c_str(),
                            WS_CHILD | BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER,
                            box.left, box.top, box.right - box.left, box.bottom - box.top, window_,
                            reinterpret_cast<HMENU>(kButtonId), instance_, nullptr);
  SendMessageW(button_, WM_SETFONT, reinterpret_cast<WPARAM>(painter_->Font(ok.font, false)), TRUE);

  // Tooltips that show whether or not the window is active.
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance_, nullptr);
  for (const ControlSpec& row : ControlTable()) {
    if (row.tooltip == nullptr) continue;
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = Index(row.id);
    tool.rect = scale_.Box(row);
    // Decided when it shows: Label4's depends on the notification area.
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  // cmdOK's, over the button itself, over several lines.
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_SUBCLASS | TTF_IDISHWND;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(button_);
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, scale_.Scaled(400));
}

// ---------------------------------------------------------------- NavyView

void NavyWindow::Invalidate(ControlId id) {
  const RECT box = scale_.Box(RowOf(id));
  InvalidateRect(window_, &box, FALSE);
}

void NavyWindow::SetCaption(ControlId id, const std::string& text) {
  looks_[Index(id)].caption = platform::Widen(text);
  if (id == ControlId::CmdOK) {
    SetWindowTextW(button_, looks_[Index(id)].caption.c_str());
  } else {
    Invalidate(id);
  }
}

void NavyWindow::SetTextColor(ControlId id, Bgr color) {
  looks_[Index(id)].text_color = color;
  Invalidate(id);
}

void NavyWindow::SetFill(ControlId id, Bgr color) {
  looks_[Index(id)].fill = color;
  Invalidate(id);
}

void NavyWindow::SetVisible(ControlId id, bool visible) {
  looks_[Index(id)].visible = visible;
  if (id == ControlId::CmdOK) {
    ShowWindow(button_, visible ? SW_SHOWNA : SW_HIDE);
  } else {
    Invalidate(id);
  }
}

void NavyWindow::SetBold(ControlId id, bool bold) {
  if (looks_[Index(id)].bold == bold) return;
  looks_[Index(id)].bold = bold;
  Invalidate(id);
}

void NavyWindow::SetTooltip(ControlId id, const std::string& text) {
  // Only cmdOK's tooltip changes; the command labels' are fixed or decided
  // when they show.
  if (id == ControlId::CmdOK) completion_tooltip_ = platform::Widen(text);
}

void NavyWindow::ProcessEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // For the main loop, once the conversion has returned.
      PostQuitMessage(static_cast<int>(message.wParam));
      logic_.Host().RequestStop();
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The main text, a blank line, then the reason and the warnings.
void NavyWindow::ShowMessage(const std::string& text, MessageIcon icon, const std::string& details) {
  const std::wstring title = platform::Widen(window_texts::kTitle);
  const UINT style = MB_OK | (icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION);
  HWND owner = IsWindowVisible(window_) ? window_ : nullptr;
  const std::string shown = details.empty() ? text : text + "\n\n" + details;
  MessageBoxW(owner, platform::Widen(shown).c_str(), title.c_str(), style);
}

void NavyWindow::ScheduleConversion() { PostMessageW(window_, kConvertMessage, 0, 0); }

void NavyWindow::HideWindow() { ShowWindow(window_, SW_HIDE); }

// At once: the main loop ends and the process with it.
void NavyWindow::EndProgram() {
  ShowWindow(window_, SW_HIDE);
  PostQuitMessage(0);
}

// ---------------------------------------------------------------- MotionSurface

RECT NavyWindow::WindowRect() const {
  RECT rect{};
  GetWindowRect(window_, &rect);
  return rect;
}

float NavyWindow::Left() const { return static_cast<float>(left_.Read(WindowRect().left, 0)); }

float NavyWindow::Top() const { return static_cast<float>(top_.Read(WindowRect().top, 0)); }

float NavyWindow::Width() const {
  const RECT rect = WindowRect();
  return static_cast<float>((rect.right - rect.left) * scale_.TwipsPerPixel());
}

float NavyWindow::Height() const {
  const RECT rect = WindowRect();
  return static_cast<float>((rect.bottom - rect.top) * scale_.TwipsPerPixel());
}

void NavyWindow::SetLeft(float left) {
  const int x = left_.Place(left, 0);
  SetWindowPos(window_, nullptr, x, WindowRect().top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void NavyWindow::SetTop(float top) {
  const int y = top_.Place(top, 0);
  SetWindowPos(window_, nullptr, WindowRect().left, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void NavyWindow::MoveTo(float left, float top) {
  const int x = left_.Place(left, 0);
  const int y = top_.Place(top, 0);
  SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

float NavyWindow::ScreenWidth() const {
  return static_cast<float>(GetSystemMetrics(SM_CXSCREEN) * scale_.TwipsPerPixel());
}

float NavyWindow::ScreenHeight() const {
  return static_cast<float>(GetSystemMetrics(SM_CYSCREEN) * scale_.TwipsPerPixel());
}

void NavyWindow::SetTimerEnabled(MotionTimer timer, bool enabled) {
  const std::size_t index = TimerIndex(timer);
  // Enabling a running timer leaves its rhythm alone.
  if (timers_[index] == enabled) return;
  timers_[index] = enabled;
  if (enabled) {
    SetTimer(window_, kTimerIds[index], kTimerIntervals[index], nullptr);
  } else {
    KillTimer(window_, kTimerIds[index]);
  }
}

bool NavyWindow::IsShown() const { return IsWindowVisible(window_) != FALSE; }

void NavyWindow::GiveFocus() {
  SetForegroundWindow(window_);
  SetFocus(window_);
}

// ---------------------------------------------------------------- TrayHost

bool NavyWindow::NotificationAreaAvailable() const {
  return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
}

void NavyWindow::HideMainWindow() { ShowWindow(window_, SW_HIDE); }

void NavyWindow::ShowMainWindow() {
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

std::unique_ptr<TrayWindow> NavyWindow::CreateTrayWindow() {
  auto window = std::make_unique<SystrayWindow>(instance_, small_icon_ != nullptr ? small_icon_ : icon_,
                                                static_cast<SystrayEvents&>(*this));
  if (!window->Created()) return nullptr;
  return window;
}

void NavyWindow::AboutChosen() {
  MessageBoxW(nullptr, platform::Widen(window_texts::kAboutText).c_str(),
              platform::Widen(window_texts::kTitle).c_str(), MB_OK | MB_ICONINFORMATION);
}

// ---------------------------------------------------------------- DropClient

bool NavyWindow::AcceptsDropAt(POINT client_point) {
  if (!drops_accepted_ || !logic_.AcceptsDrops() || IsWindowVisible(button_)) return false;
  const RECT target = scale_.Box(RowOf(ControlId::LblFichiers));
  return PtInRect(&target, client_point) != FALSE;
}

void NavyWindow::FilesDropped(std::vector<std::string> paths) { logic_.Dropped(std::move(paths)); }

// ---------------------------------------------------------------- events

std::optional<ControlId> NavyWindow::LabelAt(POINT client) const {
  const auto& table = ControlTable();
  for (auto row = table.rbegin(); row != table.rend(); ++row) {
    if (!looks_[Index(row->id)].visible) continue;
    const RECT box = scale_.Box(*row);
    if (!PtInRect(&box, client)) continue;
    if (IsSurface(row->kind)) return std::nullopt;
    return row->id;
  }
  return std::nullopt;
}

POINT NavyWindow::ToScreen(POINT client) const {
  ClientToScreen(window_, &client);
  return client;
}

float NavyWindow::TwipsX(POINT client) const {
  return static_cast<float>(ToScreen(client).x * scale_.TwipsPerPixel() - Left());
}

float NavyWindow::TwipsY(POINT client) const {
  return static_cast<float>(ToScreen(client).y * scale_.TwipsPerPixel() - Top());
}

void NavyWindow::MouseMove(WPARAM keys, POINT client) {
  // A press on the surface keeps the moves until every button is up.
  const std::optional<ControlId> label = surface_buttons_ != 0 || pressed_label_ ? pressed_label_
                                                                                  : LabelAt(client);
  if (!label) {
    motion_.MouseMove(ButtonBits(keys), TwipsX(client), TwipsY(client));
  } else if (*label == ControlId::Label3) {
    logic_.HoverLabel3();
  } else if (*label == ControlId::Label4) {
    logic_.HoverLabel4();
  }
}

void NavyWindow::MouseDown(int button, POINT client) {
  if (surface_buttons_ == 0 && !pressed_label_) {
    const std::optional<ControlId> label = LabelAt(client);
    if (label) {
      if (button == kLeftButton) {
        pressed_label_ = label;
        if (GetCapture() != window_) SetCapture(window_);
      }
      return;
    }
  } else if (pressed_label_) {
    return;
  }
  surface_buttons_ |= button;
  if (GetCapture() != window_) SetCapture(window_);
  motion_.MousePress(button, TwipsX(client), TwipsY(client));
}

void NavyWindow::MouseUp(int button, POINT client) {
  if (pressed_label_) {
    if (button != kLeftButton) return;
    const ControlId label = *pressed_label_;
    pressed_label_.reset();
    ReleaseCapture();
    const RECT box = scale_.Box(RowOf(label));
    if (PtInRect(&box, client)) LabelClicked(label);
    return;
  }
  if ((surface_buttons_ & button) == 0) return;
  surface_buttons_ &= ~button;
  if (surface_buttons_ == 0) ReleaseCapture();
  motion_.MouseRelease(button, TwipsX(client), TwipsY(client));
}

void NavyWindow::LabelClicked(ControlId id) {
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
      tray_.HideToTray();
      break;
    default:
      break;
  }
}

void NavyWindow::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  RECT client;
  GetClientRect(window_, &client);
  const SIZE size{client.right, client.bottom};
  // Drawn off screen first, so that nothing flickers while it converts.
  HDC buffer = CreateCompatibleDC(dc);
  HBITMAP picture = CreateCompatibleBitmap(dc, size.cx, size.cy);
  HGDIOBJ old = SelectObject(buffer, picture);
  painter_->Paint(buffer, size, looks_);
  BitBlt(dc, 0, 0, size.cx, size.cy, buffer, 0, 0, SRCCOPY);
  SelectObject(buffer, old);
  DeleteObject(picture);
  DeleteDC(buffer);
  EndPaint(window_, &paint);
}

LRESULT NavyWindow::Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // Messages arrive before CreateWindowExW returns.
  if (window_ == nullptr) window_ = window;
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      MouseMove(wparam, PointOf(lparam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      MouseDown(kLeftButton, PointOf(lparam));
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      MouseDown(kRightButton, PointOf(lparam));
      return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      MouseDown(kMiddleButton, PointOf(lparam));
      return 0;
    case WM_LBUTTONUP:
      MouseUp(kLeftButton, PointOf(lparam));
      return 0;
    case WM_RBUTTONUP:
      MouseUp(kRightButton, PointOf(lparam));
      return 0;
    case WM_MBUTTONUP:
      MouseUp(kMiddleButton, PointOf(lparam));
      return 0;
    case WM_CAPTURECHANGED:
      // Taken away (a message box, another program): the buttons held
      // over the window no longer count.
      if (reinterpret_cast<HWND>(lparam) != window_) {
        surface_buttons_ = 0;
        pressed_label_.reset();
      }
      return 0;
    case WM_CHAR:
      motion_.KeyPress(static_cast<int>(wparam));
      return 0;
    case WM_TIMER:
      if (wparam == kTimerIds[0]) motion_.MoveTick();
      if (wparam == kTimerIds[1]) motion_.PhysicsTick();
      if (wparam == kTimerIds[2]) motion_.GraceTick();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == kButtonId && HIWORD(wparam) == BN_CLICKED) logic_.CmdOkClicked();
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lparam);
      if (header->hwndFrom == tooltip_ && header->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lparam);
        if (header->idFrom == reinterpret_cast<UINT_PTR>(button_)) {
          shown_tooltip_ = completion_tooltip_;
        } else {
          const auto id = static_cast<ControlId>(header->idFrom);
          const char* text = RowOf(id).tooltip;
          if (id == ControlId::Label4 && !NotificationAreaAvailable()) text = window_texts::kNoTrayTooltip;
          shown_tooltip_ = platform::Widen(text != nullptr ? text : "");
        }
        info->lpszText = shown_tooltip_.data();
        return 0;
      }
      break;
    }
    case kConvertMessage:
      logic_.RunDroppedFiles();
      return 0;
    case WM_CLOSE:
      logic_.CloseRequested();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace tessaline::win32
