#include "platform/win32/Win32DisplayScale.h"

#include "platform/win32/EntryPoint.h"

namespace {

// The window property that holds a reported scale.
constexpr const char *kReportedDpi = "MovaroReportedDpi";

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
  if (window)
    if (HWND top = GetAncestor(window, GA_ROOT))
      if (HANDLE reported = GetPropA(top, kReportedDpi))
        return TDisplayScale(static_cast<int>(reinterpret_cast<INT_PTR>(reported)));
  using TGetDpiForWindow = UINT(WINAPI *)(HWND);
  static const auto dpiForWindow = User32Function<TGetDpiForWindow>("GetDpiForWindow");
  if (window && dpiForWindow)
    if (const UINT dpi = dpiForWindow(window); dpi > 0)
      return TDisplayScale(static_cast<int>(dpi));
  return SystemDisplayScale();
}

void KeepReportedScale(HWND top, int dpi) {
  if (dpi > 0)
    SetPropA(top, kReportedDpi, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(dpi)));
}

void ForgetReportedScale(HWND top) { RemovePropA(top, kReportedDpi); }
