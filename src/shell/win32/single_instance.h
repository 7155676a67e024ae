#pragma once
// One window per user and session (Windows): a second start of the window
// program hands its request to the running window and ends. At start-up:
//   if (SendToRunning(request)) return 0;             // the running window has it
//   SingleInstanceListener listener(instance, on_request);
//   if (!listener.Listen() && SendToRunning(request)) return 0;  // lost a race to start
//   ... the window, which also acts on `request` itself ...
// A mutex in the session's Local\ namespace, named after the user's SID and
// the session, says that a window runs (Windows drops it with the process,
// so a crash leaves nothing behind). The request travels as WM_COPYDATA,
// wide-character paths, to a message-only window of the running program
// that bears the same name. A mutex another user owns, or a window whose
// process runs as another user or in another session, is never handed the
// paths.

#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "shell/logic/launch_request.h"
#include "shell/win32/windows_api.h"

namespace tessaline::win32 {

// This session's instance: Local\TessalinePro-<user SID>-<session id>.
std::wstring SingleInstanceName();
std::wstring SingleInstanceName(std::wstring_view user_sid, DWORD session_id);

// Hands `request` to the window that holds `name` and waits until it has
// taken it; lets that window come to the front. False when no window holds
// the name, or when it did not take the request within `timeout_ms` (the
// caller then opens its own window: the files are not lost). A window that
// holds the name but is still starting is waited for.
bool SendToRunning(const LaunchRequest& request, const std::wstring& name = SingleInstanceName(),
                   DWORD timeout_ms = 5000);

// The running window's side: each request another start hands over reaches
// `on_request` from this thread's message loop, after the sender was
// answered (so the callback may take its time, and pump messages). An
// empty request asks the window to come to the front.
class SingleInstanceListener {
 public:
  using Callback = std::function<void(const LaunchRequest&)>;

  SingleInstanceListener(HINSTANCE instance, Callback on_request);
  ~SingleInstanceListener();
  SingleInstanceListener(const SingleInstanceListener&) = delete;
  SingleInstanceListener& operator=(const SingleInstanceListener&) = delete;

  // False when another window of this user and session holds `name` (or
  // the message window cannot be made).
  bool Listen(const std::wstring& name = SingleInstanceName());

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  HINSTANCE instance_;
  Callback on_request_;
  HANDLE mutex_ = nullptr;
  HWND window_ = nullptr;
  std::deque<LaunchRequest> pending_;
};

}  // namespace tessaline::win32
