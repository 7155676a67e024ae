// The Windows single-instance channel between two starts of the window
// program: the real mutex and message window. The sender blocks, as a
// second start does, so it runs on a thread of its own while this
// "window" pumps its messages.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "shell/win32/single_instance.h"

namespace tessaline::win32 {
namespace {

std::wstring Session(DWORD id) {
  return SingleInstanceName(L"S-1-5-21-test-" + std::to_wstring(GetCurrentProcessId()), id);
}

// Runs `work` as another process would while this thread answers.
bool AsAnotherStart(const std::function<bool()>& work) {
  bool result = false;
  std::atomic<bool> done = false;
  std::thread sender([&] {
    result = work();
    done = true;
  });
  while (!done) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(5);
  }
  sender.join();
  MSG message;  // and what it posted to itself
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  return result;
}

TEST(SingleInstanceWin32, ASecondStartHandsItsRequestToTheRunningWindow) {
  const std::wstring session = Session(1);
  std::vector<LaunchRequest> received;
  SingleInstanceListener window(GetModuleHandleW(nullptr),
                                [&](const LaunchRequest& request) { received.push_back(request); });
  EXPECT_FALSE(AsAnotherStart([&] { return SendToRunning(LaunchRequest{}, session); }));
  ASSERT_TRUE(window.Listen(session));
  SingleInstanceListener second(GetModuleHandleW(nullptr), [](const LaunchRequest&) {});
  EXPECT_FALSE(second.Listen(session));

  const LaunchRequest to_gpx{Request::ToGpx, {"C:\\Users\\Marin\\Île de Sein.zbx", "\\\\serveur\\partage\\b_TRK.txt"}};
  EXPECT_TRUE(AsAnotherStart([&] { return SendToRunning(to_gpx, session); }));
  EXPECT_TRUE(AsAnotherStart([&] { return SendToRunning(LaunchRequest{}, session); }));  // to the front
  EXPECT_EQ(received, (std::vector<LaunchRequest>{to_gpx, LaunchRequest{}}));

  // Another session (or user) has a window of its own.
  EXPECT_FALSE(AsAnotherStart([&] { return SendToRunning(to_gpx, Session(2)); }));
  SingleInstanceListener other(GetModuleHandleW(nullptr), [](const LaunchRequest&) {});
  EXPECT_TRUE(other.Listen(Session(2)));
}

TEST(SingleInstanceWin32, MessagesThatAreNoRequestAreRefused) {
  const std::wstring session = Session(3);
  std::vector<LaunchRequest> received;
  SingleInstanceListener window(GetModuleHandleW(nullptr),
                                [&](const LaunchRequest& request) { received.push_back(request); });
  ASSERT_TRUE(window.Listen(session));
  HWND target = FindWindowExW(HWND_MESSAGE, nullptr, L"TessalineSingleInstance", session.c_str());
  ASSERT_NE(target, nullptr);

  struct Case {
    ULONG_PTR kind;
    std::wstring payload;
  };
  const Case cases[] = {
      {0x1234, std::wstring(L"C:\\a.zbx\0", 9)},          // another program's message
      {0x54534C43, std::wstring(L"a.zbx\0", 6)},          // a relative path
      {0x54534C43, std::wstring(L"C:\\a.zbx\0\0", 10)},   // an empty path
      {0x54534C47, std::wstring(L"C:\\a.zbx", 8)},        // no terminator
  };
  for (const Case& c : cases) {
    COPYDATASTRUCT data{c.kind, static_cast<DWORD>(c.payload.size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(c.payload.data())};
    EXPECT_EQ(SendMessageW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), FALSE);
  }
  COPYDATASTRUCT odd{0x54534C43, 3, const_cast<char*>("C:\\")};  // half a character
  EXPECT_EQ(SendMessageW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&odd)), FALSE);
  AsAnotherStart([] { return true; });
  EXPECT_TRUE(received.empty());
}

}  // namespace
}  // namespace tessaline::win32
