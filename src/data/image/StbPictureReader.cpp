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

} // namespace

bool ReadStbPicture(std::string_view bytes, TPicture &picture) {
  if (DetectPictureFormat(bytes) == TPictureFormat::pfJpeg && !JpegHuffmanTablesFit(bytes))
    return false;
  return ReadWithStb(bytes, picture);
}
