#pragma once
// The session's user through the advapi32 user-name call, and its presence:
// lock, unlock and the switches of the console from the session
// notifications (wtsapi32, found at run time; a hidden message window of its
// own receives them), the screen saver from the system parameters, another
// program full screen from the shell's notification state (Vista on, found
// at run time) or, where the shell lacks it, from the foreground window.
#include "platform/UserSession.h"

#include <windows.h>

class TWin32UserSession final : public IUserSession {
public:
  // Made on the user-interface thread: the notifications arrive through its
  // message loop.
  TWin32UserSession();
  ~TWin32UserSession() override;
  TWin32UserSession(const TWin32UserSession &) = delete;
  TWin32UserSession &operator=(const TWin32UserSession &) = delete;

  std::string LogonUserName() override;
  TSessionPresence Presence() override;

  // The window the session notifications go to; null when it could not be made.
  HWND NotificationWindow() const { return window_; }
  // Whether the system sends the notifications to it.
  bool Registered() const { return registered_; }

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void TryRegister();
  void SessionChanged(WPARAM change);
  bool OtherProgramFullScreen() const;

  HWND window_ = nullptr;
  HMODULE wtsLibrary_ = nullptr, shellLibrary_ = nullptr;
  bool registered_ = false;
  int registerTries_ = 0;
  bool locked_ = false, switchedAway_ = false;
  using TQueryNotificationState = HRESULT(WINAPI *)(int *state);
  TQueryNotificationState queryState_ = nullptr;
};

// The XP way to tell a full-screen program: a visible window without a
// caption whose rectangle covers its whole monitor, which is not the
// desktop or the shell's.
bool WindowFillsItsMonitor(HWND window);
