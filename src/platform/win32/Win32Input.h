#pragma once
// The real cursor, the input hook library, and a window timer.
#include "platform/InputDevices.h"
#include "platform/Timer.h"

#include <windows.h>

class TWin32Cursor final : public ICursorPosition {
public:
  TCursorPoint CursorPos() override;
};

// The hook library's exports (C calling convention).
using TStartHookFn = int(__cdecl *)(int hookType, HWND window);
using TStopHookFn = int(__cdecl *)(int hookType);

// Binds StartHook/StopHook of the hook library to one window: the hooks post
// their notifications to it.
class TWin32InputHooks final : public IInputHooks {
public:
  TWin32InputHooks(HWND window, TStartHookFn startHook, TStopHookFn stopHook)
      : Window(window), Start(startHook), Stop(stopHook) {}
  // The exports of a loaded library; both null when it lacks them.
  static bool Resolve(HMODULE library, TStartHookFn &startHook, TStopHookFn &stopHook);

  bool StartHook(int32_t hookType) override;
  bool StopHook(int32_t hookType) override;

private:
  HWND Window;
  TStartHookFn Start;
  TStopHookFn Stop;
};

// A timer of a window: the window procedure passes WM_TIMER messages with
// wParam == TimerId to OnTimerMessage.
class TWin32WindowTimer final : public ITimer {
public:
  TWin32WindowTimer(HWND window, UINT_PTR timerId) : Window(window), TimerId(timerId) {}
  ~TWin32WindowTimer() override { Disable(); }
  void SetHandler(std::function<void()> onTick) override { Handler = std::move(onTick); }
  bool Enable(uint32_t intervalMs) override;
  void Disable() override;
  bool Enabled() const override { return IsEnabled; }
  void OnTimerMessage() {
    if (IsEnabled && Handler)
      Handler();
  }

private:
  HWND Window;
  UINT_PTR TimerId;
  bool IsEnabled = false;
  std::function<void()> Handler;
};
