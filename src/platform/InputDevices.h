#pragma once
// The pieces of the input system the activity monitor needs: where the mouse
// cursor is, and the system-wide input hooks that report every keyboard and
// mouse event to the monitoring window.

#include "platform/HookProtocol.h"

#include <cstdint>

struct TCursorPoint {
  int32_t X = 0, Y = 0;
  friend bool operator==(const TCursorPoint &, const TCursorPoint &) = default;
};

class ICursorPosition {
public:
  virtual ~ICursorPosition() = default;
  virtual TCursorPoint CursorPos() = 0; // screen coordinates
};

class IInputHooks {
public:
  virtual ~IInputHooks() = default;
  // True when the hook of that type (kKeyboardHook, kMouseHook) is installed
  // (removed); the hooks report
  // to the window the implementation was bound to.
  virtual bool StartHook(int32_t hookType) = 0;
  virtual bool StopHook(int32_t hookType) = 0;
};
