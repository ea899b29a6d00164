#pragma once
// What the input hook library (Movaro.dll) and the window it reports to say
// to each other. StartHook(hookType, window) and StopHook(hookType) take the
// hook types below; once started, the library posts one notification per
// input event to the window:
//   kKeyboardNotification: wParam = virtual-key code, lParam = the keystroke
//     flag word of a keyboard hook (bits 0-15 repeat count 1, 16-23 scan code,
//     24 extended key, 29 Alt down, 30 key was down, 31 set on release)
//   kMouseNotification: wParam = the mouse message (512 move, 514 left button
//     up, 522 wheel...), lParam = cursor position (x low word, y high word)
// Plain numbers only, so the library, the program and the tests share them.

#include <cstdint>

// Hook types, numbered as the classic keyboard and mouse hooks.
constexpr int32_t kKeyboardHook = 2;
constexpr int32_t kMouseHook = 7;

// Notifications, private window messages.
constexpr uint32_t kKeyboardNotification = 0x2402;
constexpr uint32_t kMouseNotification = 0x2403;
