#include "platform/win32/Win32WindowMessenger.h"

#include <windows.h>

bool TWin32WindowMessenger::WindowExists(const std::string &windowClass) {
  return FindWindowA(windowClass.c_str(), nullptr) != nullptr;
}

bool TWin32WindowMessenger::PostToWindow(const std::string &windowClass, uint32_t message,
                                         uintptr_t wParam, intptr_t lParam) {
  HWND window = FindWindowA(windowClass.c_str(), nullptr);
  return window && PostMessageA(window, message, wParam, lParam);
}
