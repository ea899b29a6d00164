#include "platform/headless/HeadlessInput.h"

bool TRecordingInputHooks::StartHook(int32_t hookType) {
  Calls.push_back({true, hookType});
  if (!StartSucceeds || (hookType != kKeyboardHook && hookType != kMouseHook))
    return false;
  (hookType == kKeyboardHook ? KeyboardInstalled : MouseInstalled) = true;
  return true;
}

bool TRecordingInputHooks::StopHook(int32_t hookType) {
  Calls.push_back({false, hookType});
  if (!StopSucceeds || !Installed(hookType))
    return false;
  (hookType == kKeyboardHook ? KeyboardInstalled : MouseInstalled) = false;
  return true;
}

bool TRecordingInputHooks::Installed(int32_t hookType) const {
  if (hookType == kKeyboardHook)
    return KeyboardInstalled;
  if (hookType == kMouseHook)
    return MouseInstalled;
  return false;
}
