#pragma once
// The desktop's top-level windows through FindWindow and EnumWindows.

#include "platform/DesktopWindows.h"

class TWin32DesktopWindows final : public IDesktopWindows {
public:
  bool ClassExists(const std::string &className) override;
  bool PostToClass(const std::string &className, uint32_t message) override;
  bool CloseClass(const std::string &className) override;
  bool TitleExists(const std::string &title) override;
};
