#include "shell/win32/navy_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include "platform/wide_text_win.h"
#include "shell/logic/window_texts.h"
#include "shell/win32/resource_ids.h"
#include "shell/win32/thumbnail_painter.h"
#include "shell/win32/window_class.h"

namespace tessaline::win32 {

namespace {

constexpr wchar_t kClassName[] = L"TessalineNavy";
// Posted by a drop: the conversions run once the drop has returned.
constexpr UINT kConvertMessage = WM_APP + 1;
constexpr UINT_PTR kButtonId = 1;
constexpr UINT_PTR kTimerIds[3] = {1, 3, 4};  // Timer1, Timer3, TmrHit

std::size_t Index(ControlId id) { return static_cast<std::size_t>(id); }
UINT_PTR TimerId(MotionTimer timer) { return kTimerIds[static_cast<std::size_t>(timer)]; }

// cmdOK with a thumbnail paints itself: a push button's face, the picture,
// the caption in the rest; without one the system paints it.
LRESULT CALLBACK ButtonPaint(HWND button, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  if (message == WM_PAINT && reinterpret_cast<NavyWindow*>(data)->PaintThumbnail(button)) return 0;
  return DefSubclassProc(button, message, wparam, lparam);
}

// The system's dots per inch (the program is system-DPI aware).
PixelScale SystemScale() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return PixelScale(dpi);
}

// The core's set of buttons from a mouse message's key state.
int ButtonBits(WPARAM keys) {
  int bits = 0;
  if (keys & MK_LBUTTON) bits |= kLeftButton;
  if (keys & MK_RBUTTON) bits |= kRightButton;
  if (keys & MK_MBUTTON) bits |= kMiddleButton;
  return bits;
}

PixelPoint PointOf(LPARAM lparam) { return {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}; }

}  // namespace

NavyWindow::NavyWindow(HINSTANCE instance, NavyServices services)
    : instance_(instance),
      scale_(SystemScale()),
      looks_(InitialLooks()),
      core_(static_cast<NavyPort&>(*this), std::move(services), scale_),
      drop_target_(core_) {}

NavyWindow::~NavyWindow() {
  systray_.reset();
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
  const PixelRect client = scale_.Client();
  // No border, no title bar, no taskbar button.
  window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, title.c_str(), WS_POPUP | WS_CLIPCHILDREN,
                            CW_USEDEFAULT, CW_USEDEFAULT, client.width, client.height, nullptr,
                            nullptr, instance_, this);
  if (window_ == nullptr) return false;
  CreateControls();
  drop_target_.SetWindow(window_);
  drop_target_registered_ = RegisterDragDrop(window_, &drop_target_) == S_OK;
  core_.Load();
  return true;
}

void NavyWindow::Open(const LaunchRequest& request) {
  core_.FilesOpened(request.absolute_paths, request.request);
}

void NavyWindow::CreateControls() {
  const ControlSpec& ok = RowOf(ControlId::CmdOK);
  const RECT box = RectOf(scale_.Box(ok));
  const std::wstring caption = looks_[Index(ControlId::CmdOK)].caption;
  button_ = CreateWindowExW(0, L"BUTTON", caption.c_str(),
                            WS_CHILD | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER |
                                (ok.word_wrap ? BS_MULTILINE : 0),
                            box.left, box.top, box.right - box.left, box.bottom - box.top, window_,
                            reinterpret_cast<HMENU>(kButtonId), instance_, nullptr);
  SendMessageW(button_, WM_SETFONT, reinterpret_cast<WPARAM>(painter_->Font(ok.font, false)), TRUE);
  SetWindowSubclass(button_, ButtonPaint, 1, reinterpret_cast<DWORD_PTR>(this));

  // Tooltips that show whether or not the window is active; their texts
  // are asked for as they show.
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
    tool.rect = RectOf(scale_.Box(row));
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

// ---------------------------------------------------------------- controls

void NavyWindow::Invalidate(ControlId id) {
  const RECT box = RectOf(scale_.Box(RowOf(id)));
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
    ::ShowWindow(button_, visible ? SW_SHOWNA : SW_HIDE);
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
  looks_[Index(id)].tooltip = platform::Widen(text);
}

void NavyWindow::SetThumbnail(ControlId id, const picture::Thumbnail& thumbnail, const PixelRect& box) {
  if (id != ControlId::CmdOK) return;
  thumbnail_ = thumbnail;
  thumbnail_box_ = box;
  InvalidateRect(button_, nullptr, TRUE);
}

bool NavyWindow::PaintThumbnail(HWND button) {
  if (thumbnail_.Empty()) return false;
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(button, &paint);
  RECT face;
  GetClientRect(button, &face);
  const bool pushed = (SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
  DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  win32::PaintThumbnail(dc, thumbnail_, thumbnail_box_.height / 60.0);
  // The caption's lines centred below the picture.
  const std::wstring& caption = looks_[Index(ControlId::CmdOK)].caption;
  RECT text{face.left + 3, thumbnail_box_.top + thumbnail_box_.height + 1, face.right - 3, face.bottom - 3};
  HGDIOBJ old_font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  RECT measured = text;
  const UINT format = DT_CENTER | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &measured, format | DT_CALCRECT);
  const LONG spare = (text.bottom - text.top) - (measured.bottom - measured.top);
  if (spare > 0) text.top += spare / 2;
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, format);
  SelectObject(dc, old_font);
  EndPaint(button, &paint);
  return true;
}

LRESULT NavyWindow::TooltipText(LPARAM notification) {
  auto* info = reinterpret_cast<NMTTDISPINFOW*>(notification);
  const ControlId id = info->hdr.idFrom == reinterpret_cast<UINT_PTR>(button_)
                           ? ControlId::CmdOK
                           : static_cast<ControlId>(info->hdr.idFrom);
  core_.TooltipShowing(id);
  shown_tooltip_ = looks_[Index(id)].tooltip;
  info->lpszText = shown_tooltip_.data();
  return 0;
}

// ---------------------------------------------------------------- the window

void NavyWindow::CutToShape(const std::vector<PixelRect>& rows) {
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  for (const PixelRect& row : rows) {
    HRGN part = CreateRectRgn(row.left, row.top, row.left + row.width, row.top + row.height);
    CombineRgn(shape, shape, part, RGN_OR);
    DeleteObject(part);
  }
  // The region belongs to the system from here on.
  SetWindowRgn(window_, shape, TRUE);
}

void NavyWindow::ShowWindow() {
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void NavyWindow::HideWindow() { ::ShowWindow(window_, SW_HIDE); }

bool NavyWindow::IsWindowShown() const { return IsWindowVisible(window_) != FALSE; }

void NavyWindow::GiveFocus() {
  SetForegroundWindow(window_);
  SetFocus(window_);
}

// The sending start allowed this process to take the foreground
// (SendToRunning); without that leave, Windows flashes the taskbar instead.
void NavyWindow::BringToFront() {
  if (IsIconic(window_)) ::ShowWindow(window_, SW_RESTORE);
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  SetForegroundWindow(window_);
}

PixelRect NavyWindow::WindowBox() const {
  RECT rect{};
  GetWindowRect(window_, &rect);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

PixelRect NavyWindow::ScreenBox() const {
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void NavyWindow::MoveWindow(PixelPoint top_left) {
  SetWindowPos(window_, nullptr, top_left.x, top_left.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void NavyWindow::CapturePointer(bool captured) {
  if (!captured) {
    ReleaseCapture();
  } else if (GetCapture() != window_) {
    SetCapture(window_);
  }
}

void NavyWindow::StartTimer(MotionTimer timer, int interval_ms) {
  SetTimer(window_, TimerId(timer), static_cast<UINT>(interval_ms), nullptr);
}

void NavyWindow::StopTimer(MotionTimer timer) { KillTimer(window_, TimerId(timer)); }

// ---------------------------------------------------------------- notification area

bool NavyWindow::NotificationAreaAvailable() const {
  return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
}

bool NavyWindow::AddTrayIcon(const std::string& tooltip) {
  systray_ = std::make_unique<SystrayWindow>(instance_, small_icon_ != nullptr ? small_icon_ : icon_, core_);
  if (systray_->AddIcon(tooltip)) return true;
  systray_.reset();
  return false;
}

void NavyWindow::RemoveTrayIcon() { systray_.reset(); }

// ---------------------------------------------------------------- boxes and the event loop

// The main text, a blank line, then the reason and the warnings.
void NavyWindow::ShowMessage(const std::string& text, MessageIcon icon, const std::string& details) {
  const std::wstring title = platform::Widen(window_texts::kTitle);
  const UINT style = MB_OK | (icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION);
  HWND owner = IsWindowVisible(window_) ? window_ : nullptr;
  const std::string shown = details.empty() ? text : text + "\n\n" + details;
  MessageBoxW(owner, platform::Widen(shown).c_str(), title.c_str(), style);
}

void NavyWindow::ShowAbout(const std::string& text) {
  MessageBoxW(nullptr, platform::Widen(text).c_str(), platform::Widen(window_texts::kTitle).c_str(),
              MB_OK | MB_ICONINFORMATION);
}

void NavyWindow::ProcessEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // For the main loop, once the conversion has returned.
      PostQuitMessage(static_cast<int>(message.wParam));
      core_.QuitRequested();
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void NavyWindow::ScheduleConversion() { PostMessageW(window_, kConvertMessage, 0, 0); }

// At once: the main loop ends and the process with it.
void NavyWindow::EndProgram() {
  ::ShowWindow(window_, SW_HIDE);
  PostQuitMessage(0);
}

// ---------------------------------------------------------------- messages

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
      core_.PointerMoved(ButtonBits(wparam), PointOf(lparam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      core_.PointerPressed(kLeftButton, PointOf(lparam));
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      core_.PointerPressed(kRightButton, PointOf(lparam));
      return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      core_.PointerPressed(kMiddleButton, PointOf(lparam));
      return 0;
    case WM_LBUTTONUP:
      core_.PointerReleased(kLeftButton, PointOf(lparam));
      return 0;
    case WM_RBUTTONUP:
      core_.PointerReleased(kRightButton, PointOf(lparam));
      return 0;
    case WM_MBUTTONUP:
      core_.PointerReleased(kMiddleButton, PointOf(lparam));
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lparam) != window_) core_.PointerLost();
      return 0;
    case WM_CHAR:
      core_.KeyPressed(static_cast<int>(wparam));
      return 0;
    case WM_TIMER:
      for (std::size_t i = 0; i < 3; ++i) {
        if (wparam == kTimerIds[i]) core_.TimerTicked(static_cast<MotionTimer>(i));
      }
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == kButtonId && HIWORD(wparam) == BN_CLICKED) core_.CompletionClicked();
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lparam);
      if (header->hwndFrom == tooltip_ && header->code == TTN_GETDISPINFOW) {
        return TooltipText(lparam);
      }
      break;
    }
    case kConvertMessage:
      core_.ConversionDue();
      return 0;
    case WM_CLOSE:
      core_.CloseRequested();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace tessaline::win32
