// PCX (ZSoft) pictures: run-length or plain data, 1 bit in 1 or 4 planes, 2
// or 4 bits in one plane (colours from the header's 16-entry table), 8 bits
// in one plane (the 256-entry table after the data, grey without one) and
// 8 bits in 3 or 4 planes (red, green, blue, an ignored fourth).
#include "data/image/PictureReaders.h"

#include <algorithm>
#include <array>

namespace {

uint16_t Word(std::string_view b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

uint32_t Rgb(const uint8_t *entry) {
  return static_cast<uint32_t>(entry[0]) << 16 | static_cast<uint32_t>(entry[1]) << 8 | entry[2];
}

} // namespace

bool ReadPcxPicture(std::string_view b, TPicture &picture) {
  constexpr size_t kHeader = 128;
  if (b.size() < kHeader || b[0] != 0x0A)
    return false;
  const int encoding = static_cast<uint8_t>(b[2]);
  const int bits = static_cast<uint8_t>(b[3]);
  const int64_t width = int64_t{Word(b, 8)} - Word(b, 4) + 1;
  const int64_t height = int64_t{Word(b, 10)} - Word(b, 6) + 1;
  const int planes = static_cast<uint8_t>(b[65]);
  const int64_t lineBytes = Word(b, 66);
  bool known = (bits == 1 && (planes == 1 || planes == 4)) || (bits == 2 && planes == 1) ||
               (bits == 4 && planes == 1) || (bits == 8 && (planes == 1 || planes == 3 || planes == 4));
  if (!known || encoding > 1 || !PictureSizeAllowed(width, height) ||
      lineBytes * 8 < width * bits)
    return false;

  // The planes of every line one after another, as stored.
  const size_t total = static_cast<size_t>(lineBytes) * planes * static_cast<size_t>(height);
  if (total > static_cast<size_t>(kMaxPicturePixels) * 4)
    return false;
  std::string data;
  size_t at = kHeader;
  if (encoding == 0) {
    if (b.size() - kHeader < total)
      return false;
    data.assign(b.substr(kHeader, total));
    at += total;
  } else {
    data.reserve(total);
    while (data.size() < total) {
      if (at >= b.size())
        return false;
      uint8_t value = static_cast<uint8_t>(b[at++]);
      size_t count = 1;
      if ((value & 0xC0) == 0xC0) {
        if (at >= b.size())
          return false;
        count = value & 0x3F;
        value = static_cast<uint8_t>(b[at++]);
      }
      data.append(std::min(count, total - data.size()), static_cast<char>(value));
    }
  }

  uint32_t palette[256];
  const auto *header = reinterpret_cast<const uint8_t *>(b.data());
  for (int i = 0; i < 256; ++i)
    palette[i] = i < 16 ? Rgb(header + 16 + 3 * i) : 0;
  if (bits == 8 && planes == 1) {
    // The 256 colours follow a byte 12 at the very end; without them, grey.
    const size_t tableAt = b.size() >= 769 ? b.size() - 769 : 0;
    bool table = tableAt >= at && b.size() >= 769 && b[tableAt] == 0x0C;
    for (int i = 0; i < 256; ++i)
      palette[i] = table ? Rgb(header + tableAt + 1 + 3 * i)
                         : static_cast<uint32_t>(i) * 0x010101u;
  } else if (bits == 1 && planes == 1) {
    palette[0] = 0;
    palette[1] = 0xFFFFFF;
  }

  AllocatePicture(picture, static_cast<int>(width), static_cast<int>(height));
  const auto *bytes = reinterpret_cast<const uint8_t *>(data.data());
  for (int64_t y = 0; y < height; ++y) {
    const uint8_t *line = bytes + static_cast<size_t>(y * lineBytes * planes);
    uint32_t *out = &picture.Pixels[static_cast<size_t>(y * width)];
    for (int64_t x = 0; x < width; ++x) {
      if (bits == 8 && planes >= 3) {
        out[x] = Rgb(std::array<uint8_t, 3>{line[x], line[lineBytes + x], line[2 * lineBytes + x]}.data());
      } else if (planes == 4) { // 1 bit in each of 4 planes: a 4-bit index
        int index = 0;
        for (int p = 0; p < 4; ++p)
          index |= ((line[p * lineBytes + x / 8] >> (7 - x % 8)) & 1) << p;
        out[x] = palette[index];
      } else { // one plane of 1, 2, 4 or 8 bits, high bits first
        int64_t bit = x * bits;
        int index = (line[bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
        out[x] = palette[index];
      }
    }
  }
  return true;
}
