#pragma once
// Input devices without a desktop: a cursor that stays where it was put, and
// hooks that only record their calls and answer as configured.

#include "platform/InputDevices.h"

#include <vector>

class TVirtualCursor final : public ICursorPosition {
public:
  TCursorPoint CursorPos() override { return Position; }
  TCursorPoint Position;
};

class TRecordingInputHooks final : public IInputHooks {
public:
  struct TCall {
    bool Start; // false: StopHook
    int32_t HookType;
  };
  bool StartHook(int32_t hookType) override;
  bool StopHook(int32_t hookType) override;
  bool Installed(int32_t hookType) const;

  bool StartSucceeds = true, StopSucceeds = true;
  std::vector<TCall> Calls;

private:
  bool KeyboardInstalled = false, MouseInstalled = false;
};
