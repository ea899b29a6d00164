#pragma once
// Top-level windows found with FindWindow and sent messages with PostMessage.

#include "platform/WindowMessenger.h"

class TWin32WindowMessenger : public IWindowMessenger {
public:
  bool WindowExists(const std::string &windowClass) override;
  bool PostToWindow(const std::string &windowClass, uint32_t message, uintptr_t wParam,
                    intptr_t lParam) override;
};
