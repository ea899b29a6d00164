#pragma once
// The screen's pixels as the X server shows them through Wine, for window
// tests that check a few pixels and keep the picture.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <vector>

struct Screenshot {
  int width = 0, height = 0;
  std::vector<uint8_t> bgr; // bottom-up rows, 3 bytes a pixel, rows padded to 4

  void Take() {
    HDC screen = GetDC(nullptr);
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFO info{};
    info.bmiHeader = Header();
    void *bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    bgr.assign(static_cast<uint8_t *>(bits), static_cast<uint8_t *>(bits) + Stride() * height);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(dib);
    ReleaseDC(nullptr, screen);
  }
  int Stride() const { return (width * 3 + 3) & ~3; }
  BITMAPINFOHEADER Header() const {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    return header;
  }
  uint32_t At(int x, int y) const { // as a Windows colour value
    const uint8_t *p = &bgr[(height - 1 - y) * Stride() + x * 3];
    return p[2] | (p[1] << 8) | (p[0] << 16);
  }
  bool AnyDarkIn(int x0, int y0, int x1, int y1) const {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        uint32_t c = At(x, y);
        if ((c & 0xFF) < 0x60 && ((c >> 8) & 0xFF) < 0x60 && ((c >> 16) & 0xFF) < 0x60)
          return true;
      }
    return false;
  }
  void Save(const char *path) const {
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info = Header();
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(bgr.size());
    if (FILE *out = std::fopen(path, "wb")) {
      std::fwrite(&file, sizeof file, 1, out);
      std::fwrite(&info, sizeof info, 1, out);
      std::fwrite(bgr.data(), 1, bgr.size(), out);
      std::fclose(out);
    }
  }
};
