// Movaro.dll: its two exports, and synthesized input arriving as the posted
// notifications the monitoring window counts.
#include "platform/HookProtocol.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

using TStartHook = int(__cdecl *)(int, HWND);
using TStopHook = int(__cdecl *)(int);

struct TPosted {
  UINT Message;
  WPARAM WParam;
  LPARAM LParam;
};
std::vector<TPosted> g_posted;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kKeyboardNotification || message == kMouseNotification)
    g_posted.push_back({message, wParam, lParam});
  return DefWindowProcA(window, message, wParam, lParam);
}

struct HookLibrary : ::testing::Test {
  void SetUp() override {
    Library = LoadLibraryA("Movaro.dll");
    ASSERT_NE(Library, nullptr);
    Start = reinterpret_cast<TStartHook>(reinterpret_cast<void *>(GetProcAddress(Library, "StartHook")));
    Stop = reinterpret_cast<TStopHook>(reinterpret_cast<void *>(GetProcAddress(Library, "StopHook")));
    ASSERT_TRUE(Start && Stop);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "MovaroHookTestWindow";
    RegisterClassA(&windowClass);
    Window = CreateWindowExA(0, "MovaroHookTestWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                             nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(Window, nullptr);
    g_posted.clear();
  }
  void TearDown() override {
    if (Window)
      DestroyWindow(Window);
    if (Library)
      FreeLibrary(Library);
  }
  // Pumps messages until count notifications arrived or 3 s passed.
  void WaitFor(size_t count) {
    DWORD deadline = GetTickCount() + 3000;
    MSG message;
    while (g_posted.size() < count && GetTickCount() < deadline) {
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
      Sleep(5);
    }
  }
  HMODULE Library = nullptr;
  TStartHook Start = nullptr;
  TStopHook Stop = nullptr;
  HWND Window = nullptr;
};

TEST_F(HookLibrary, AcceptsOnlyKeyboardAndMouseHooks) {
  EXPECT_EQ(Start(13, Window), 0);
  EXPECT_EQ(Start(kKeyboardHook, nullptr), 0);
  EXPECT_EQ(Stop(kKeyboardHook), 0); // not installed
  EXPECT_NE(Start(kKeyboardHook, Window), 0);
  EXPECT_NE(Start(kMouseHook, Window), 0);
  EXPECT_NE(Stop(kMouseHook), 0);
  EXPECT_EQ(Stop(kMouseHook), 0);
  EXPECT_NE(Stop(kKeyboardHook), 0);
  // Again after the hook thread has ended.
  EXPECT_NE(Start(kKeyboardHook, Window), 0);
  EXPECT_NE(Stop(kKeyboardHook), 0);
}

TEST_F(HookLibrary, KeysAndButtonsBecomePostedNotifications) {
  ASSERT_NE(Start(kKeyboardHook, Window), 0);
  ASSERT_NE(Start(kMouseHook, Window), 0);
  INPUT inputs[4] = {};
  inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = inputs[1].ki.wVk = 'Q';
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  inputs[2].type = inputs[3].type = INPUT_MOUSE;
  inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[3].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ASSERT_EQ(SendInput(4, inputs, sizeof(INPUT)), 4u);
  WaitFor(4);
  EXPECT_NE(Stop(kKeyboardHook), 0);
  EXPECT_NE(Stop(kMouseHook), 0);

  std::vector<TPosted> keys, buttons;
  for (const TPosted &p : g_posted)
    (p.Message == kKeyboardNotification ? keys : buttons).push_back(p);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].WParam, WPARAM('Q'));
  EXPECT_EQ(static_cast<DWORD>(keys[0].LParam) & 0xC000FFFFu, 0x00000001u); // press, count 1
  EXPECT_EQ(static_cast<DWORD>(keys[1].LParam) & 0xC000FFFFu, 0xC0000001u); // release
  ASSERT_GE(buttons.size(), 2u);
  EXPECT_EQ(buttons[buttons.size() - 2].WParam, WPARAM(WM_LBUTTONDOWN));
  EXPECT_EQ(buttons.back().WParam, WPARAM(WM_LBUTTONUP));
}

} // namespace
