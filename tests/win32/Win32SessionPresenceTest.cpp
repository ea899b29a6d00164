// The session's presence on the real system: the notification window is
// made and registered, the session notifications set the state they name,
// an idle desktop is neither away nor full screen, and the foreground test
// of systems without the shell's query tells a slide-show window from a
// maximized one.
#include "platform/win32/Win32UserSession.h"

#include <gtest/gtest.h>

namespace {

HWND MakeWindow(DWORD style, int left, int top, int width, int height) {
  HWND window = CreateWindowExA(0, "STATIC", "", style, left, top, width, height, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ShowWindow(window, SW_SHOWNORMAL);
  return window;
}

} // namespace

TEST(Win32SessionPresence, AnIdleDesktopIsPresentAndTheNotificationsSetWhatTheyName) {
  TWin32UserSession session;
  ASSERT_NE(session.NotificationWindow(), nullptr);
  EXPECT_TRUE(session.Registered());
  EXPECT_EQ(session.Presence(), TSessionPresence());

  auto notify = [&](WPARAM change) {
    SendMessageA(session.NotificationWindow(), WM_WTSSESSION_CHANGE, change, 1);
    return session.Presence();
  };
  EXPECT_TRUE(notify(WTS_SESSION_LOCK).Locked);
  EXPECT_TRUE(notify(WTS_CONSOLE_DISCONNECT).SwitchedAway);
  EXPECT_TRUE(notify(WTS_SESSION_LOGON).Away()); // other changes leave the state
  EXPECT_FALSE(notify(WTS_SESSION_UNLOCK).Locked);
  EXPECT_EQ(notify(WTS_CONSOLE_CONNECT), TSessionPresence());
  EXPECT_TRUE(notify(WTS_REMOTE_DISCONNECT).SwitchedAway);
  EXPECT_EQ(notify(WTS_REMOTE_CONNECT), TSessionPresence());
}

TEST(Win32SessionPresence, ACaptionlessWindowOverTheWholeMonitorFillsItAMaximizedOneDoesNot) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HWND show = MakeWindow(WS_POPUP | WS_VISIBLE, 0, 0, width, height);
  HWND small = MakeWindow(WS_POPUP | WS_VISIBLE, 0, 0, width / 2, height);
  HWND framed = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200);
  ShowWindow(framed, SW_MAXIMIZE);
  EXPECT_TRUE(WindowFillsItsMonitor(show));
  EXPECT_FALSE(WindowFillsItsMonitor(small));
  EXPECT_FALSE(WindowFillsItsMonitor(framed));
  EXPECT_FALSE(WindowFillsItsMonitor(GetDesktopWindow()));
  ShowWindow(show, SW_HIDE);
  EXPECT_FALSE(WindowFillsItsMonitor(show));
  for (HWND window : {show, small, framed})
    DestroyWindow(window);
}
