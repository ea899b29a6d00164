// TIFF pictures in strips: no compression, LZW, PackBits or Deflate (zlib);
// grey (white or black is zero) and palette pictures of 1, 2, 4 or 8 bits,
// grey and RGB(A) of 8 or 16 bits a sample, interleaved; the horizontal
// predictor of 8-bit samples. Only the first picture of a file is read.
#include "data/image/PictureReaders.h"

#include <zlib.h>

#include <algorithm>

namespace {

class TTiffFile {
public:
  explicit TTiffFile(std::string_view b) : b_(b), little_(b.size() >= 2 && b[0] == 'I') {}

  bool Has(uint64_t at, uint64_t n) const { return at <= b_.size() && n <= b_.size() - at; }
  uint32_t U16(uint64_t at) const { return Has(at, 2) ? Get(at, 2) : 0; }
  uint32_t U32(uint64_t at) const { return Has(at, 4) ? Get(at, 4) : 0; }

  // The values of one directory entry (SHORT or LONG, or BYTE), at most limit.
  bool Values(uint64_t entry, std::vector<uint32_t> &out, uint32_t limit) const {
    uint32_t type = U16(entry + 2), count = U32(entry + 4);
    uint32_t size = type == 3 ? 2 : type == 4 ? 4 : type == 1 ? 1 : 0;
    if (size == 0 || count == 0 || count > limit)
      return false;
    uint64_t at = uint64_t{size} * count <= 4 ? entry + 8 : U32(entry + 8);
    if (!Has(at, uint64_t{size} * count))
      return false;
    out.resize(count);
    for (uint32_t i = 0; i < count; ++i)
      out[i] = Get(at + uint64_t{i} * size, size);
    return true;
  }
  std::string_view Bytes(uint64_t at, uint64_t n) const {
    return Has(at, n) ? b_.substr(at, n) : std::string_view{};
  }

private:
  uint32_t Get(uint64_t at, uint32_t size) const {
    uint32_t v = 0;
    for (uint32_t i = 0; i < size; ++i) {
      uint32_t byte = static_cast<uint8_t>(b_[at + i]);
      v |= little_ ? byte << (8 * i) : byte << (8 * (size - 1 - i));
    }
    return v;
  }
  std::string_view b_;
  bool little_;
};

// TIFF's LZW: codes of 9 to 12 bits, high bit first, the width growing one
// code early; 256 clears the table, 257 ends the data.
bool InflateLzw(std::string_view in, size_t expected, std::string &out) {
  expected += out.size(); // appended to what is there
  struct TEntry {
    uint16_t Prefix;
    uint8_t First, Last;
    uint16_t Length;
  };
  std::vector<TEntry> table(4096);
  for (int i = 0; i < 256; ++i)
    table[i] = {0xFFFF, static_cast<uint8_t>(i), static_cast<uint8_t>(i), 1};
  int next = 258, width = 9, previous = -1;
  uint64_t bitPos = 0;
  const uint64_t bits = uint64_t{in.size()} * 8;
  while (out.size() < expected && bitPos + width <= bits) {
    int code = 0;
    for (int i = 0; i < width; ++i, ++bitPos)
      code = code << 1 | ((static_cast<uint8_t>(in[bitPos / 8]) >> (7 - bitPos % 8)) & 1);
    if (code == 257)
      break;
    if (code == 256) {
      next = 258;
      width = 9;
      previous = -1;
      continue;
    }
    if (code > next || (code == next && previous < 0))
      return false;
    const int entry = code;
    // A code not yet defined is the previous word plus that word's first byte.
    const uint8_t first = code < next ? table[code].First : table[previous].First;
    if (previous >= 0 && next < 4096) {
      table[next] = {static_cast<uint16_t>(previous), table[previous].First, first,
                     static_cast<uint16_t>(table[previous].Length + 1)};
      ++next;
    }
    // Write the word of entry backwards into place.
    size_t length = table[entry].Length;
    size_t start = out.size();
    out.resize(start + length);
    for (int e = entry, i = static_cast<int>(length) - 1; i >= 0; --i) {
      out[start + i] = static_cast<char>(table[e].Last);
      e = table[e].Prefix;
    }
    previous = code;
    if (next + 1 >= (1 << width) && width < 12)
      ++width;
  }
  out.resize(std::min(out.size(), expected));
  return out.size() == expected;
}

bool UnpackBits(std::string_view in, size_t expected, std::string &out) {
  expected += out.size(); // appended to what is there
  size_t at = 0;
  while (out.size() < expected && at < in.size()) {
    int n = static_cast<int8_t>(in[at++]);
    if (n >= 0) {
      size_t count = std::min<size_t>(n + 1, in.size() - at);
      out.append(in.substr(at, count));
      at += count;
    } else if (n != -128) {
      if (at >= in.size())
        break;
      out.append(static_cast<size_t>(1 - n), in[at++]);
    }
  }
  out.resize(std::min(out.size(), expected));
  return out.size() == expected;
}

bool InflateZlib(std::string_view in, size_t expected, std::string &out) {
  size_t start = out.size();
  out.resize(start + expected);
  uLongf length = static_cast<uLongf>(expected);
  int result = uncompress(reinterpret_cast<Bytef *>(&out[start]), &length,
                          reinterpret_cast<const Bytef *>(in.data()), static_cast<uLong>(in.size()));
  // A strip may carry more rows than the picture has left: Z_BUF_ERROR then.
  return (result == Z_OK || result == Z_BUF_ERROR) && length == expected;
}

// Samples stored as differences from the sample to their left, per row.
void UndoHorizontalPredictor(char *data, uint64_t rows, uint64_t rowBytes, uint32_t samples,
                             bool wide, bool little) {
  auto *bytes = reinterpret_cast<uint8_t *>(data);
  for (uint64_t r = 0; r < rows; ++r) {
    uint8_t *row = bytes + r * rowBytes;
    if (!wide) {
      for (uint64_t i = samples; i < rowBytes; ++i)
        row[i] = static_cast<uint8_t>(row[i] + row[i - samples]);
      continue;
    }
    const uint64_t count = rowBytes / 2, lo = little ? 0 : 1, hi = 1 - lo;
    for (uint64_t i = samples; i < count; ++i) {
      uint8_t *now = row + 2 * i, *left = row + 2 * (i - samples);
      unsigned sum = (now[lo] | now[hi] << 8) + (left[lo] | left[hi] << 8);
      now[lo] = static_cast<uint8_t>(sum);
      now[hi] = static_cast<uint8_t>(sum >> 8);
    }
  }
}

} // namespace

bool ReadTiffPicture(std::string_view b, TPicture &picture) {
  TTiffFile file(b);
  if (b.size() < 8 || file.U16(2) != 42)
    return false;
  const uint64_t ifd = file.U32(4);
  const uint32_t entries = file.U16(ifd);
  if (!file.Has(ifd + 2, uint64_t{entries} * 12))
    return false;

  uint32_t width = 0, height = 0, compression = 1, photometric = 9, samples = 1,
           rowsPerStrip = UINT32_MAX, planar = 1, predictor = 1;
  std::vector<uint32_t> bitsPerSample{1}, offsets, counts, colorMap, values;
  for (uint32_t i = 0; i < entries; ++i) {
    uint64_t entry = ifd + 2 + uint64_t{i} * 12;
    uint32_t tag = file.U16(entry);
    bool single = file.Values(entry, values, 1);
    uint32_t v = single ? values[0] : 0;
    switch (tag) {
    case 256: width = v; break;
    case 257: height = v; break;
    case 258: if (!file.Values(entry, bitsPerSample, 8)) return false; break;
    case 259: compression = v; break;
    case 262: photometric = v; break;
    case 273: if (!file.Values(entry, offsets, kMaxPictureSide)) return false; break;
    case 277: samples = v; break;
    case 278: rowsPerStrip = v; break;
    case 279: if (!file.Values(entry, counts, kMaxPictureSide)) return false; break;
    case 284: planar = v; break;
    case 317: predictor = v; break;
    case 320: if (!file.Values(entry, colorMap, 3 * 256)) return false; break;
    case 322: return false; // tiles
    default: break;
    }
  }
  const uint32_t bits = bitsPerSample[0];
  for (uint32_t s : bitsPerSample)
    if (s != bits)
      return false;
  bool grey = photometric <= 1 && samples >= 1 && samples <= 2 &&
              (bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16);
  bool rgb = photometric == 2 && (samples == 3 || samples == 4) && (bits == 8 || bits == 16);
  bool paletted = photometric == 3 && samples == 1 && bits <= 8 && (bits & (bits - 1)) == 0 &&
                  colorMap.size() == 3u << bits;
  if (!(grey || rgb || paletted) || (planar != 1 && samples > 1) ||
      !PictureSizeAllowed(width, height) || offsets.empty() || offsets.size() != counts.size() ||
      (predictor == 2 && bits != 8 && bits != 16) || predictor > 2)
    return false;
  if (compression != 1 && compression != 5 && compression != 8 && compression != 32773 &&
      compression != 32946)
    return false;

  const uint64_t rowBytes = (uint64_t{width} * samples * bits + 7) / 8;
  const uint32_t stripRows = std::clamp<uint32_t>(rowsPerStrip, 1, height);
  const uint64_t strips = (uint64_t{height} + stripRows - 1) / stripRows;
  if (offsets.size() < strips)
    return false;
  std::string data;
  data.reserve(rowBytes * height);
  for (uint64_t s = 0; s < strips; ++s) {
    uint64_t rows = std::min<uint64_t>(stripRows, height - s * stripRows);
    size_t expected = static_cast<size_t>(rows * rowBytes);
    std::string_view in = file.Bytes(offsets[s], counts[s]);
    if (in.empty() && counts[s] != 0)
      return false;
    size_t before = data.size();
    bool ok = false;
    if (compression == 1) {
      ok = in.size() >= expected;
      if (ok)
        data.append(in.substr(0, expected));
    } else if (compression == 5) {
      ok = InflateLzw(in, expected, data);
    } else if (compression == 32773) {
      ok = UnpackBits(in, expected, data);
    } else {
      ok = InflateZlib(in, expected, data);
    }
    if (!ok)
      return false;
    if (predictor == 2)
      UndoHorizontalPredictor(&data[before], rows, rowBytes, samples, bits == 16, b[0] == 'I');
  }

  uint32_t palette[256];
  for (uint32_t i = 0; i < 256; ++i) {
    if (paletted && i < (1u << bits)) { // 16-bit entries: all reds, all greens, all blues
      uint32_t n = 1u << bits;
      palette[i] = (colorMap[i] >> 8) << 16 | (colorMap[n + i] >> 8) << 8 | colorMap[2 * n + i] >> 8;
    } else {
      uint32_t max = bits >= 8 ? 255 : (1u << bits) - 1;
      uint32_t level = std::min(i, max) * 255 / max;
      if (photometric == 0)
        level = 255 - level;
      palette[i] = level * 0x010101u;
    }
  }
  AllocatePicture(picture, static_cast<int>(width), static_cast<int>(height));
  const auto *pixels = reinterpret_cast<const uint8_t *>(data.data());
  const uint32_t sampleBytes = bits / 8; // 1 or 2 for 8- and 16-bit samples
  // A 16-bit sample counts by its high byte, which comes first in "MM" files.
  const uint32_t high = bits == 16 && b[0] == 'I' ? 1 : 0;
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t *row = pixels + y * rowBytes;
    uint32_t *out = &picture.Pixels[static_cast<size_t>(y) * width];
    for (uint32_t x = 0; x < width; ++x) {
      if (rgb) {
        const uint8_t *p = row + uint64_t{x} * samples * sampleBytes + high;
        out[x] = uint32_t{p[0]} << 16 | uint32_t{p[sampleBytes]} << 8 | p[2 * sampleBytes];
      } else if (bits >= 8) {
        out[x] = palette[row[uint64_t{x} * samples * sampleBytes + high]];
      } else {
        uint64_t bit = uint64_t{x} * samples * bits;
        out[x] = palette[(row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1)];
      }
    }
  }
  return true;
}
