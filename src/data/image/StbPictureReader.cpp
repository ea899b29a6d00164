// JPEG, PNG, BMP and GIF through stb_image, limited to those four formats and
// to memory input. The size is read first so that nothing larger than the
// decoder's limits is ever allocated.
#include "data/image/PictureReaders.h"

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

bool ReadStbPicture(std::string_view bytes, TPicture &picture) {
  if (bytes.size() > static_cast<size_t>(INT_MAX))
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
