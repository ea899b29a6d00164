#include "platform/win32/Win32Input.h"

TCursorPoint TWin32Cursor::CursorPos() {
  POINT point{0, 0};
  GetCursorPos(&point);
  return {static_cast<int32_t>(point.x), static_cast<int32_t>(point.y)};
}

bool TWin32InputHooks::Resolve(HMODULE library, TStartHookFn &startHook, TStopHookFn &stopHook) {
  startHook = nullptr;
  stopHook = nullptr;
  if (!library)
    return false;
  startHook = reinterpret_cast<TStartHookFn>(
      reinterpret_cast<void *>(GetProcAddress(library, "StartHook")));
  stopHook = reinterpret_cast<TStopHookFn>(
      reinterpret_cast<void *>(GetProcAddress(library, "StopHook")));
  if (startHook && stopHook)
    return true;
  startHook = nullptr;
  stopHook = nullptr;
  return false;
}

bool TWin32InputHooks::StartHook(int32_t hookType) {
  return Start && Start(hookType, Window) != 0;
}

bool TWin32InputHooks::StopHook(int32_t hookType) { return Stop && Stop(hookType) != 0; }

bool TWin32WindowTimer::Enable(uint32_t intervalMs) {
  IsEnabled = SetTimer(Window, TimerId, intervalMs, nullptr) != 0;
  return IsEnabled;
}

void TWin32WindowTimer::Disable() {
  if (IsEnabled)
    KillTimer(Window, TimerId);
  IsEnabled = false;
}
