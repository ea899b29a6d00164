// JPEG, PNG, BMP and GIF through stb_image, limited to those four formats and
// to memory input. The size is read first so that nothing larger than the
// decoder's limits is ever allocated.
#include "data/image/PictureReaders.h"

#include <algorithm>
#include <climits>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS kMaxPictureSide
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

// stb_image 2.27 trusts the code counts of a JPEG Huffman table: counts that
// add up to more than 256 symbols write past its tables (fixed upstream
// later). Every table of every "define Huffman table" segment is checked
// first, wherever the bytes FF C4 occur, so no path of the decoder meets one.
bool JpegHuffmanTablesFit(std::string_view b) {
  for (size_t at = b.find("\xFF\xC4"); at != std::string_view::npos; at = b.find("\xFF\xC4", at + 2)) {
    if (at + 4 > b.size())
      break;
    size_t length = static_cast<uint8_t>(b[at + 2]) << 8 | static_cast<uint8_t>(b[at + 3]);
    // The decoder reads a table while any byte of the segment is left, and
    // reads zeros past the end of the file.
    const size_t end = at + 2 + length;
    for (size_t table = at + 4; table < end && table < b.size();) {
      size_t symbols = 0;
      for (size_t i = table + 1; i <= table + 16 && i < b.size(); ++i)
        symbols += static_cast<uint8_t>(b[i]);
      if (symbols > 256)
        return false;
      table += 17 + symbols;
    }
  }
  return true;
}

} // namespace

bool ReadStbPicture(std::string_view bytes, TPicture &picture) {
  if (bytes.size() > static_cast<size_t>(INT_MAX))
    return false;
  if (DetectPictureFormat(bytes) == TPictureFormat::pfJpeg && !JpegHuffmanTablesFit(bytes))
    return false;
  const auto *data = reinterpret_cast<const stbi_uc *>(bytes.data());
  const int length = static_cast<int>(bytes.size());
  int width = 0, height = 0, channels = 0;
  if (!stbi_info_from_memory(data, length, &width, &height, &channels) ||
      !PictureSizeAllowed(width, height))
    return false;
  stbi_uc *rgba = stbi_load_from_memory(data, length, &width, &height, &channels, 4);
  if (!rgba)
    return false;
  if (!PictureSizeAllowed(width, height)) {
    stbi_image_free(rgba);
    return false;
  }
  AllocatePicture(picture, width, height);
  // Transparent parts are shown on white, the colour pages are written on.
  for (size_t i = 0; i < picture.Pixels.size(); ++i) {
    const stbi_uc *p = rgba + i * 4;
    uint32_t alpha = p[3], white = 255 * (255 - alpha);
    uint32_t r = (p[0] * alpha + white) / 255, g = (p[1] * alpha + white) / 255,
             b = (p[2] * alpha + white) / 255;
    picture.Pixels[i] = (r << 16) | (g << 8) | b;
  }
  stbi_image_free(rgba);
  return true;
}
