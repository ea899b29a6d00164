#pragma once
// A desktop of monitors a test lays out, showing one colour everywhere.

#include "platform/Desktop.h"

class THeadlessDesktop final : public IDesktop {
public:
  std::vector<TDesktopRect> MonitorList{{0, 0, 1024, 768}};
  uint32_t Shows = 0x00336699; // 0x00RRGGBB
  bool Readable = true;
  std::vector<TDesktopRect> Monitors() override { return MonitorList; }
  bool Capture(const TDesktopRect &rect, std::vector<uint32_t> &pixels) override {
    if (!Readable || rect.Width <= 0 || rect.Height <= 0)
      return false;
    pixels.assign(static_cast<size_t>(rect.Width) * rect.Height, Shows);
    return true;
  }
};
