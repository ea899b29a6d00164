#pragma once
// The real desktop: its monitors as the system enumerates them, and its
// pixels read from the screen's device context.

#include "platform/Desktop.h"

class TWin32Desktop final : public IDesktop {
public:
  std::vector<TDesktopRect> Monitors() override;
  bool Capture(const TDesktopRect &rect, std::vector<uint32_t> &pixels) override;
};
