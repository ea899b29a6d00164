#include "platform/win32/Win32Screen.h"

#include "platform/win32/Win32DisplayScale.h"

TWin32Screen::TWin32Screen()
    : dc_(CreateCompatibleDC(nullptr)),
      canvas_(std::make_unique<TGdiCanvas>(dc_, SystemDisplayScale())) {}

TWin32Screen::~TWin32Screen() {
  canvas_.reset(); // gives the context its own objects back first
  DeleteDC(dc_);
}

int TWin32Screen::BitsPerPixel() {
  HDC screen = GetDC(nullptr);
  int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  ReleaseDC(nullptr, screen);
  return bits;
}
