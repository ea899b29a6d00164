// JPEG, PNG and GIF through stb_image.
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_GIF
#include "data/image/StbInstance.inc"

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

// The decoder does not clear its Huffman tables before a picture, and a scan
// that names a table its file never defined decodes with whatever is in that
// memory: symbol indexes far past the 256 a table holds. The segments are
// walked the way the decoder walks them (lengths, fill bytes, entropy-coded
// data up to the first marker that is neither a stuffed byte nor a restart),
// and every scan must name only tables defined before it. Whatever the walk
// refuses beyond that the decoder refuses too.
bool JpegScansUseDefinedTables(std::string_view b) {
  size_t at = 0;
  auto byte = [&](size_t i) -> unsigned { return i < b.size() ? static_cast<uint8_t>(b[i]) : 0u; };
  auto length = [&] { return byte(at) << 8 | byte(at + 1); };
  // The next marker's code: bytes before its FF are skipped (padding between
  // segments), as are repeated FFs. -1 at the end of the file.
  auto nextMarker = [&]() -> int {
    while (at < b.size() && byte(at) != 0xFF)
      ++at;
    while (at < b.size() && byte(at) == 0xFF)
      ++at;
    return at < b.size() ? static_cast<int>(byte(at++)) : -1;
  };
  if (byte(0) != 0xFF || byte(1) != 0xD8)
    return false;
  at = 2;
  bool defined[2][4] = {}; // [DC, AC][table]
  bool frame = false, progressive = false;
  for (;;) {
    const int m = nextMarker();
    if (m == 0xD9)
      return frame;
    const unsigned size = length();
    if (m == 0xC0 || m == 0xC1 || m == 0xC2) {
      if (frame)
        return false;
      frame = true;
      progressive = m == 0xC2;
    } else if (m == 0xC4) {
      size_t table = at + 2;
      const size_t end = at + size;
      while (table < end) {
        const unsigned kind = byte(table) >> 4, slot = byte(table) & 15;
        if (kind > 1 || slot > 3)
          return false;
        size_t symbols = 0;
        for (size_t i = table + 1; i <= table + 16; ++i)
          symbols += byte(i);
        if (symbols > 256)
          return false;
        defined[kind][slot] = true;
        table += 17 + symbols;
      }
      if (table != end)
        return false;
    } else if (m == 0xDA) {
      const unsigned count = byte(at + 2);
      if (!frame || count < 1 || count > 4 || size != 6 + 2 * count)
        return false;
      const unsigned spectralStart = byte(at + 3 + 2 * count), high = byte(at + 5 + 2 * count) >> 4;
      for (unsigned i = 0; i < count; ++i) {
        const unsigned dc = byte(at + 4 + 2 * i) >> 4, ac = byte(at + 4 + 2 * i) & 15;
        if (dc > 3 || ac > 3)
          return false;
        const bool needsDc = !progressive || (spectralStart == 0 && high == 0);
        const bool needsAc = !progressive || spectralStart != 0;
        if ((needsDc && !defined[0][dc]) || (needsAc && !defined[1][ac]))
          return false;
      }
      // The entropy-coded data runs to the first marker that is not a
      // stuffed zero or a restart.
      for (at += size;; ++at) {
        at = b.find('\xFF', at);
        if (at == std::string_view::npos)
          return false;
        size_t code = b.find_first_not_of('\xFF', at);
        if (code == std::string_view::npos)
          return false;
        const unsigned c = byte(code);
        if (c != 0 && (c < 0xD0 || c > 0xD7))
          break;
        at = code;
      }
      continue;
    } else if (m == 0xDC && frame) {
      at += 4;
      continue;
    } else if (m != 0xDB && m != 0xDD && m != 0xFE && (m < 0xE0 || m > 0xEF)) {
      return false; // no marker, or one the decoder does not take
    }
    if (size < 2)
      return false;
    at += size;
  }
}

// stb_image trusts a PNG chunk's length: it grows its buffer for an image-
// data chunk to the length given before it reads it (2 GiB for a damaged
// one), and for an empty first such chunk it copies nothing to a buffer it
// has not made yet (a null pointer, undefined behaviour). A file with a chunk
// longer than the bytes left, or with an empty first image-data chunk, is
// refused: no encoder writes either.
bool PngChunksFit(std::string_view b) {
  bool imageData = false;
  for (size_t at = 8; at + 8 <= b.size();) {
    const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(b[at + i])); };
    const uint32_t length = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
    const std::string_view type = b.substr(at + 4, 4);
    if (type == "IDAT" && !imageData) {
      if (length == 0)
        return false;
      imageData = true;
    }
    if (length > b.size() - at - 8)
      return false;
    if (type == "IEND")
      return true;
    at += 8 + static_cast<size_t>(length) + 4;
  }
  return true;
}

} // namespace

bool ReadStbPicture(std::string_view bytes, TPicture &picture) {
  if (DetectPictureFormat(bytes) == TPictureFormat::pfJpeg &&
      !(JpegHuffmanTablesFit(bytes) && JpegScansUseDefinedTables(bytes)))
    return false;
  if (DetectPictureFormat(bytes) == TPictureFormat::pfPng && !PngChunksFit(bytes))
    return false;
  return ReadWithStb(bytes, picture);
}
