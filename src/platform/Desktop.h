#pragma once
// The desktop as windows that place themselves on it or cover it see it: its
// monitors, and a copy of what it shows.

#include <cstdint>
#include <vector>

struct TDesktopRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int Right() const { return Left + Width; }
  int Bottom() const { return Top + Height; }
  friend bool operator==(const TDesktopRect &, const TDesktopRect &) = default;
};

class IDesktop {
public:
  virtual ~IDesktop() = default;
  // Every monitor, the primary one (where windows open, at 0,0) first; never empty.
  virtual std::vector<TDesktopRect> Monitors() = 0;
  // What the desktop shows in rect: Width * Height pixels 0x00RRGGBB, top row
  // first. False when it cannot be read.
  virtual bool Capture(const TDesktopRect &rect, std::vector<uint32_t> &pixels) = 0;
};

// The primary monitor, and the smallest rectangle holding every monitor.
TDesktopRect PrimaryMonitor(IDesktop &desktop);
TDesktopRect VirtualScreen(IDesktop &desktop);
