#include "platform/win32/Win32DisplayScale.h"

#include "platform/win32/EntryPoint.h"

namespace {

template <class T> T User32Function(const char *name) {
  return EntryPoint<T>(GetModuleHandleA("user32.dll"), name);
}

} // namespace

void DeclareDpiAware() {
  using TSetProcessDpiAware = BOOL(WINAPI *)();
  if (auto declare = User32Function<TSetProcessDpiAware>("SetProcessDPIAware"))
    declare();
}

TDisplayScale SystemDisplayScale() {
  // Fixed for the program's life (a change takes a new log-on), and asked
  // for at every paint and mouse message: read once.
  static const TDisplayScale system = [] {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : TDisplayScale::kDesignDpi;
    if (screen)
      ReleaseDC(nullptr, screen);
    return TDisplayScale(dpi);
  }();
  return system;
}

TDisplayScale DisplayScaleOf(HWND window) {
  using TGetDpiForWindow = UINT(WINAPI *)(HWND);
  static const auto dpiForWindow = User32Function<TGetDpiForWindow>("GetDpiForWindow");
  if (window && dpiForWindow)
    if (const UINT dpi = dpiForWindow(window); dpi > 0)
      return TDisplayScale(static_cast<int>(dpi));
  return SystemDisplayScale();
}
