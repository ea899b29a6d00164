#pragma once
// The header of a 32-bit device-independent bitmap stored top row first, as
// the canvas's pixel buffers and desktop captures are.
#include <windows.h>

inline BITMAPINFO TopDownRgb32Info(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}
