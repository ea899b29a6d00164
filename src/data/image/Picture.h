#pragma once
// Pictures decoded from JPEG, BMP, GIF, PNG, PCX and TIF files into plain
// 32-bit pixels, for the markup text control and the skins.
//
// JPEG, PNG, BMP and GIF go through stb_image (Debian's libstb-dev, header
// only, so the same code decodes in the Windows programs and natively); PCX
// and TIF have small readers of our own, since nothing packaged for every
// tree reads them. The format is told by the file's first bytes, never by its
// name: content container members have no extension.
//
// Files are outside bytes. A picture larger than kMaxPictureSide on a side or
// kMaxPicturePixels in all is refused before anything of its size is
// allocated; a damaged or truncated file is refused as a whole, except that
// stb_image shows what there is of a truncated BMP or GIF (the rest black).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = 16 * 1024 * 1024;

struct TPicture {
  int Width = 0, Height = 0;
  // Width * Height pixels, top row first, each 0x00RRGGBB (in memory the
  // B, G, R, 0 bytes of a 32-bit device-independent bitmap).
  std::vector<uint32_t> Pixels;
  // Pixels per 100 design units: a skin drawn for a display of a larger
  // scale (150: half as many pixels again as its design size) is shown at
  // its design size, pixel for pixel on such a display.
  int Percent = 100;
  bool Empty() const { return Width <= 0 || Height <= 0; }
  int DesignWidth() const { return DesignLength(Width, Percent); }
  int DesignHeight() const { return DesignLength(Height, Percent); }
  static int DesignLength(int pixels, int percent) {
    return percent > 0 ? static_cast<int>((int64_t{pixels} * 100 + percent / 2) / percent) : pixels;
  }
  uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

enum class TPictureFormat { pfUnknown, pfJpeg, pfPng, pfBmp, pfGif, pfPcx, pfTiff };

// How many colours a decoded picture may use, after the screen it is shown
// on: the lowest level keeps the 8 colours of the black-to-white cube corners
// and the middle level a 6 x 6 x 6 cube, both with ordered dithering; the full
// level keeps every colour as decoded.
enum class TColorLevel { clLowest, clMiddle, clFull };

// Below 8 bits per pixel the lowest level, 8 to 15 the middle one, else full.
TColorLevel ColorLevelForDepth(int bitsPerPixel);

TPictureFormat DetectPictureFormat(std::string_view bytes);

// Decodes a whole picture file. False, with the picture left empty, for an
// unknown format or a file that is damaged, truncated or too large.
bool DecodePicture(std::string_view bytes, TColorLevel level, TPicture &picture);

// Reduces the colours of a picture to a level in place (ordered dithering).
void ReducePictureColors(TPicture &picture, TColorLevel level);
