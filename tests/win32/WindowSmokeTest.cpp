// Window basics under Wine: a registered class is found by name from another
// thread, and a private message posted to it is handled on the window's thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr char kClassName[] = "MovaroSmokeTestWindow";
constexpr UINT kShowYourself = 0x1400;
std::atomic<int> g_showRequests{0};
std::atomic<DWORD> g_handledOnThread{0};

LRESULT CALLBACK SmokeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kShowYourself) {
    g_handledOnThread = GetCurrentThreadId();
    ++g_showRequests;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(Win32Window, PrivateMessageFromSecondThreadIsHandled) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = SmokeWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kClassName;
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  HWND window = CreateWindowExA(0, kClassName, "Smoke", WS_POPUP, 0, 0, 50, 50, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);

  HWND found = nullptr;
  BOOL posted = FALSE;
  std::thread second([&] {
    found = FindWindowA(kClassName, nullptr);
    if (found)
      posted = PostMessageA(found, kShowYourself, 0, 0);
  });
  second.join();
  EXPECT_EQ(found, window);
  EXPECT_TRUE(posted);
  EXPECT_EQ(FindWindowA("MovaroNoSuchClass", nullptr), nullptr);

  DWORD deadline = GetTickCount() + 5000;
  MSG message;
  while (g_showRequests == 0 && GetTickCount() < deadline) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&message);
    if (g_showRequests == 0)
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  EXPECT_EQ(g_showRequests, 1);
  EXPECT_EQ(g_handledOnThread, GetCurrentThreadId());
  DestroyWindow(window);
  UnregisterClassA(kClassName, windowClass.hInstance);
}

} // namespace
