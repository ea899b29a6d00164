#include "data/image/Picture.h"

#include "data/image/PictureReaders.h"

#include <cstring>

TColorLevel ColorLevelForDepth(int bitsPerPixel) {
  if (bitsPerPixel < 8)
    return TColorLevel::clLowest;
  return bitsPerPixel < 16 ? TColorLevel::clMiddle : TColorLevel::clFull;
}

TPictureFormat DetectPictureFormat(std::string_view b) {
  auto starts = [&](const char *magic, size_t n) {
    return b.size() >= n && std::memcmp(b.data(), magic, n) == 0;
  };
  if (starts("\xFF\xD8\xFF", 3))
    return TPictureFormat::pfJpeg;
  if (starts("\x89PNG\r\n\x1A\n", 8))
    return TPictureFormat::pfPng;
  if (starts("GIF87a", 6) || starts("GIF89a", 6))
    return TPictureFormat::pfGif;
  if (starts("BM", 2))
    return TPictureFormat::pfBmp;
  if (starts("II*\0", 4) || starts("MM\0*", 4))
    return TPictureFormat::pfTiff;
  // PCX: maker 10, a known version, run-length or no encoding.
  if (b.size() >= 128 && b[0] == 0x0A && (b[1] <= 5 && b[1] != 1) && (b[2] == 0 || b[2] == 1))
    return TPictureFormat::pfPcx;
  return TPictureFormat::pfUnknown;
}

bool PictureSizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

void AllocatePicture(TPicture &picture, int width, int height) {
  picture.Width = width;
  picture.Height = height;
  picture.Pixels.assign(static_cast<size_t>(width) * height, 0);
}

bool FinishDecodedPicture(bool read, TColorLevel level, TPicture &picture) {
  if (!read || picture.Empty()) {
    picture = TPicture{};
    return false;
  }
  ReducePictureColors(picture, level);
  return true;
}

void ReducePictureColors(TPicture &picture, TColorLevel level) {
  if (level == TColorLevel::clFull)
    return;
  // 4 x 4 Bayer thresholds, in sixteenths.
  static const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  const int steps = level == TColorLevel::clLowest ? 1 : 5; // intervals between the levels
  auto quantise = [steps](int value, int threshold) {
    // value * steps / 255 plus a threshold in [0, 1), rounded down, in sixteenths.
    int level = (value * steps * 32 + (threshold * 2 + 1) * 255) / (255 * 32);
    return (level > steps ? steps : level) * 255 / steps;
  };
  for (int y = 0; y < picture.Height; ++y)
    for (int x = 0; x < picture.Width; ++x) {
      uint32_t &p = picture.Pixels[static_cast<size_t>(y) * picture.Width + x];
      int t = kBayer[y & 3][x & 3];
      uint32_t r = quantise((p >> 16) & 0xFF, t), g = quantise((p >> 8) & 0xFF, t),
               b = quantise(p & 0xFF, t);
      p = (r << 16) | (g << 8) | b;
    }
}
