#pragma once
// Windows of other programs for tests: the classes that exist and every
// message posted to them.

#include "platform/WindowMessenger.h"

#include <set>
#include <vector>

class THeadlessWindowMessenger : public IWindowMessenger {
public:
  bool WindowExists(const std::string &windowClass) override {
    return Windows.count(windowClass) != 0;
  }
  bool PostToWindow(const std::string &windowClass, uint32_t message, uintptr_t wParam,
                    intptr_t lParam) override {
    if (!WindowExists(windowClass))
      return false;
    Posted.push_back({windowClass, message, wParam, lParam});
    return true;
  }

  struct TPosted {
    std::string WindowClass;
    uint32_t Message;
    uintptr_t WParam;
    intptr_t LParam;
  };
  std::set<std::string> Windows;
  std::vector<TPosted> Posted;
};
