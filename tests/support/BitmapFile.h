#pragma once
// A 24-bit bitmap file of one colour (0xRRGGBB), for tests that need a
// picture of a given size.
#include <cstdint>
#include <string>

inline std::string BitmapFile(int width, int height, uint32_t colour) {
  const int stride = (width * 3 + 3) / 4 * 4;
  std::string file = "BM";
  auto le = [&file](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
      file += static_cast<char>(v >> (8 * i) & 0xFF);
  };
  le(54 + stride * height, 4), le(0, 4), le(54, 4);
  le(40, 4), le(width, 4), le(height, 4), le(1, 2), le(24, 2), le(0, 4), le(stride * height, 4);
  le(2835, 4), le(2835, 4), le(0, 4), le(0, 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      le(colour, 3);
    file.append(stride - width * 3, '\0');
  }
  return file;
}
