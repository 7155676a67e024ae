#include "shell/win32/single_instance.h"

#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/wide_text_win.h"

namespace tessaline::win32 {
namespace {

constexpr wchar_t kClassName[] = L"TessalineSingleInstance";
// WM_COPYDATA's dwData: which request the paths are for.
constexpr ULONG_PTR kConvert = 0x54534C43;  // "TSLC"
constexpr ULONG_PTR kToGpx = 0x54534C47;    // "TSLG"
constexpr DWORD kMaxPayload = 16u << 20;    // far beyond any command line
constexpr UINT kDeliver = WM_APP + 1;       // posted to itself: hand the next request on

bool IsAbsoluteWindowsPath(std::wstring_view path) {
  if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) {
    return (path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z');
  }
  return path.size() >= 3 && (path[0] == L'\\' || path[0] == L'/') && (path[1] == L'\\' || path[1] == L'/');
}

std::wstring Encode(const LaunchRequest& request) {
  std::wstring payload;
  for (const std::string& path : request.absolute_paths) {
    payload += platform::Widen(path);
    payload += L'\0';
  }
  return payload;
}

// A whole, well-formed request from another start; anything else (another
// program's message, a relative path) is refused whole.
std::optional<LaunchRequest> Decode(const COPYDATASTRUCT& data) {
  if (data.dwData != kConvert && data.dwData != kToGpx) return std::nullopt;
  if (data.cbData % sizeof(wchar_t) != 0 || data.cbData > kMaxPayload) return std::nullopt;
  if (data.cbData > 0 && data.lpData == nullptr) return std::nullopt;
  LaunchRequest request{data.dwData == kToGpx ? Request::ToGpx : Request::ByFile, {}};
  const std::wstring_view payload(static_cast<const wchar_t*>(data.lpData), data.cbData / sizeof(wchar_t));
  if (!payload.empty() && payload.back() != L'\0') return std::nullopt;
  std::size_t start = 0;
  while (start < payload.size()) {
    const std::size_t end = payload.find(L'\0', start);
    const std::wstring_view path = payload.substr(start, end - start);
    if (!IsAbsoluteWindowsPath(path)) return std::nullopt;
    request.absolute_paths.push_back(platform::Narrow(path));
    start = end + 1;
  }
  return request;
}

// The TOKEN_USER of a process, copied; empty when it cannot be asked.
std::vector<BYTE> TokenUserOf(HANDLE process) {
  std::vector<BYTE> buffer;
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return buffer;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  buffer.resize(size);
  if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) buffer.clear();
  CloseHandle(token);
  return buffer;
}

PSID SidOf(std::vector<BYTE>& token_user) {
  return token_user.empty() ? nullptr : reinterpret_cast<TOKEN_USER*>(token_user.data())->User.Sid;
}

std::wstring UserSid() {
  std::vector<BYTE> user = TokenUserOf(GetCurrentProcess());
  std::wstring sid;
  wchar_t* text = nullptr;
  if (SidOf(user) != nullptr && ConvertSidToStringSidW(SidOf(user), &text)) {
    sid = text;
    LocalFree(text);
  }
  return sid;
}

// Whether a process runs as this user and in this session: the window found
// under the name must be one, or it is never handed the paths.
bool IsThisUsersProcess(DWORD process_id) {
  DWORD session = 0, own_session = 0;
  if (!ProcessIdToSessionId(process_id, &session) || !ProcessIdToSessionId(GetCurrentProcessId(), &own_session) ||
      session != own_session) {
    return false;
  }
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
  if (process == nullptr) return false;
  std::vector<BYTE> theirs = TokenUserOf(process);
  CloseHandle(process);
  std::vector<BYTE> ours = TokenUserOf(GetCurrentProcess());
  return SidOf(theirs) != nullptr && SidOf(ours) != nullptr && EqualSid(SidOf(theirs), SidOf(ours));
}

// Whether a named object was made by another user (who took the name
// first). An owner the system does not tell is left to the process check.
bool IsOwnedByAnotherUser(HANDLE object) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                      &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  std::vector<BYTE> ours = TokenUserOf(GetCurrentProcess());
  const bool foreign = owner != nullptr && SidOf(ours) != nullptr && !EqualSid(owner, SidOf(ours));
  LocalFree(descriptor);
  return foreign;
}

}  // namespace

std::wstring SingleInstanceName(std::wstring_view user_sid, DWORD session_id) {
  return L"Local\\TessalinePro-" + std::wstring(user_sid) + L"-" + std::to_wstring(session_id);
}

std::wstring SingleInstanceName() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return SingleInstanceName(UserSid(), session);
}

bool SendToRunning(const LaunchRequest& request, const std::wstring& name, DWORD timeout_ms) {
  HANDLE mutex = OpenMutexW(SYNCHRONIZE | READ_CONTROL, FALSE, name.c_str());
  if (mutex == nullptr) return false;  // no window of this user and session
  const bool foreign = IsOwnedByAnotherUser(mutex);
  CloseHandle(mutex);
  if (foreign) return false;

  const std::wstring payload = Encode(request);
  COPYDATASTRUCT data{request.request == Request::ToGpx ? kToGpx : kConvert, static_cast<DWORD>(payload.size() * sizeof(wchar_t)),
                      payload.empty() ? nullptr : const_cast<wchar_t*>(payload.data())};
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    HWND window = FindWindowExW(HWND_MESSAGE, nullptr, kClassName, name.c_str());
    if (window != nullptr) {
      // The running window may take the foreground: this start has it.
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      if (!IsThisUsersProcess(process)) return false;
      AllowSetForegroundWindow(process);
      DWORD_PTR taken = FALSE;
      const ULONGLONG now = GetTickCount64();
      const UINT wait = now < deadline ? static_cast<UINT>(deadline - now) : 1;
      return SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                 wait, &taken) != 0 &&
             taken == TRUE;
    }
    if (GetTickCount64() >= deadline) return false;
    Sleep(50);  // the window holds the name but has not made its message window yet
  }
}

SingleInstanceListener::SingleInstanceListener(HINSTANCE instance, Callback on_request)
    : instance_(instance), on_request_(std::move(on_request)) {}

SingleInstanceListener::~SingleInstanceListener() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (mutex_ != nullptr) CloseHandle(mutex_);
}

bool SingleInstanceListener::Listen(const std::wstring& name) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) return false;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = &SingleInstanceListener::Procedure;
  window_class.hInstance = instance_;
  window_class.lpszClassName = kClassName;
  RegisterClassExW(&window_class);  // fails harmlessly when already registered
  window_ = CreateWindowExW(0, kClassName, name.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_, this);
  if (window_ == nullptr) {
    CloseHandle(mutex);
    return false;
  }
  mutex_ = mutex;
  return true;
}

LRESULT CALLBACK SingleInstanceListener::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<SingleInstanceListener*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  switch (message) {
    case WM_COPYDATA: {
      std::optional<LaunchRequest> request = Decode(*reinterpret_cast<const COPYDATASTRUCT*>(lparam));
      if (!request) return FALSE;
      // The data lives only as long as this message: copied, then handed on
      // once the sender has its answer.
      self->pending_.push_back(std::move(*request));
      PostMessageW(window, kDeliver, 0, 0);
      return TRUE;
    }
    case kDeliver:
      if (!self->pending_.empty()) {
        LaunchRequest request = std::move(self->pending_.front());
        self->pending_.pop_front();
        self->on_request_(request);
      }
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace tessaline::win32
