#include "platform/Desktop.h"

#include <algorithm>

TDesktopRect PrimaryMonitor(IDesktop &desktop) {
  std::vector<TDesktopRect> monitors = desktop.Monitors();
  return monitors.empty() ? TDesktopRect{0, 0, 640, 480} : monitors.front();
}

TDesktopRect VirtualScreen(IDesktop &desktop) {
  std::vector<TDesktopRect> monitors = desktop.Monitors();
  if (monitors.empty())
    return {0, 0, 640, 480};
  int left = monitors[0].Left, top = monitors[0].Top;
  int right = monitors[0].Right(), bottom = monitors[0].Bottom();
  for (const TDesktopRect &m : monitors) {
    left = std::min(left, m.Left);
    top = std::min(top, m.Top);
    right = std::max(right, m.Right());
    bottom = std::max(bottom, m.Bottom());
  }
  return {left, top, right - left, bottom - top};
}
