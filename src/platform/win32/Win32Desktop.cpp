#include "platform/win32/Win32Desktop.h"

#include "platform/win32/Win32DisplayScale.h"
#include "platform/win32/Win32Dib.h"

#include <windows.h>

namespace {

// Windows place themselves in design units: a monitor is told in them too.
TDesktopRect DesignRectOf(const RECT &device) {
  const TDisplayScale scale = SystemDisplayScale();
  const int left = scale.ToDesign(device.left), top = scale.ToDesign(device.top);
  return {left, top, scale.ToDesign(device.right) - left, scale.ToDesign(device.bottom) - top};
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info))
    return TRUE;
  auto &monitors = *reinterpret_cast<std::vector<TDesktopRect> *>(list);
  const TDesktopRect rect = DesignRectOf(info.rcMonitor);
  if (info.dwFlags & MONITORINFOF_PRIMARY)
    monitors.insert(monitors.begin(), rect);
  else
    monitors.push_back(rect);
  return TRUE;
}

} // namespace

std::vector<TDesktopRect> TWin32Desktop::Monitors() {
  std::vector<TDesktopRect> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  if (monitors.empty())
    monitors.push_back(DesignRectOf({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}));
  return monitors;
}

bool TWin32Desktop::Capture(const TDesktopRect &rect, std::vector<uint32_t> &pixels) {
  if (rect.Width <= 0 || rect.Height <= 0)
    return false;
  HDC screen = GetDC(nullptr);
  if (!screen)
    return false;
  BITMAPINFO info = TopDownRgb32Info(rect.Width, rect.Height);
  void *bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = dib ? CreateCompatibleDC(screen) : nullptr;
  bool read = false;
  if (memory) {
    HGDIOBJ old = SelectObject(memory, dib);
    // The rectangle is in design units; on a scaled display its pixels are
    // shrunk to as many as the rectangle has.
    const TCanvasRect device =
        SystemDisplayScale().ToDevice({rect.Left, rect.Top, rect.Right(), rect.Bottom()});
    if (device.Width() == rect.Width && device.Height() == rect.Height) {
      read = BitBlt(memory, 0, 0, rect.Width, rect.Height, screen, device.Left, device.Top, SRCCOPY);
    } else {
      SetStretchBltMode(memory, HALFTONE);
      SetBrushOrgEx(memory, 0, 0, nullptr);
      read = StretchBlt(memory, 0, 0, rect.Width, rect.Height, screen, device.Left, device.Top,
                        device.Width(), device.Height(), SRCCOPY);
    }
    GdiFlush();
    if (read) {
      const auto *from = static_cast<const uint32_t *>(bits);
      pixels.assign(from, from + static_cast<size_t>(rect.Width) * rect.Height);
      for (uint32_t &p : pixels)
        p &= 0x00FFFFFF; // a 32-bit DIB holds 0x00RRGGBB and an unused top byte
    }
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  if (dib)
    DeleteObject(dib);
  ReleaseDC(nullptr, screen);
  return read;
}
