#include "data/image/Dib.h"

#include "data/image/PictureReaders.h"

#include <string>

namespace {

constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kBitFields = 3; // compression: three colour masks follow a 40-byte header
constexpr size_t kMaxColorEntries = 65535;

uint32_t Le(std::string_view b, size_t at, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i)
    value = value << 8 | static_cast<uint8_t>(b[at + i]);
  return value;
}

struct TDibLayout {
  uint32_t HeaderSize = 0;
  uint32_t BitCount = 0;
  uint32_t UsedColors = 0;
  uint32_t Compression = 0;
  bool Core() const { return HeaderSize == kCoreHeaderSize; }
  size_t EntrySize() const { return Core() ? 3 : 4; }
  // Where the table starts: after the header and, for bit fields, the masks.
  size_t TableOffset() const {
    return HeaderSize + (HeaderSize == kInfoHeaderSize && Compression == kBitFields ? 12 : 0);
  }
};

bool ReadLayout(std::string_view dib, TDibLayout &layout) {
  if (dib.size() < 4)
    return false;
  layout.HeaderSize = Le(dib, 0, 4);
  if (layout.Core()) {
    layout.BitCount = Le(dib, 10, 2);
  } else if (layout.HeaderSize >= kInfoHeaderSize && layout.HeaderSize <= dib.size()) {
    layout.BitCount = Le(dib, 14, 2);
    layout.Compression = Le(dib, 16, 4);
    layout.UsedColors = Le(dib, 32, 4);
  } else {
    return false;
  }
  return layout.HeaderSize <= dib.size();
}

// The entries the table holds (which DecodeDib needs to find the pixels).
uint64_t TableEntries(const TDibLayout &layout) {
  if (!layout.Core() && layout.UsedColors != 0)
    return layout.UsedColors;
  return layout.BitCount <= 8 ? uint64_t{1} << layout.BitCount : 0;
}

} // namespace

bool ReadDibColorTable(std::string_view dib, std::vector<uint32_t> &colors) {
  colors.clear();
  TDibLayout layout;
  if (!ReadLayout(dib, layout))
    return false;
  const uint64_t entries = TableEntries(layout);
  if (entries == 0 || entries > kMaxColorEntries)
    return false;
  const size_t at = layout.TableOffset(), size = layout.EntrySize();
  if (at > dib.size() || (dib.size() - at) / size < entries)
    return false;
  colors.reserve(entries);
  for (size_t i = 0; i < entries; ++i) {
    const size_t e = at + i * size; // blue, green, red
    colors.push_back(Le(dib, e, 3));
  }
  return true;
}

bool DecodeDib(std::string_view dib, TColorLevel level, TPicture &picture) {
  picture = TPicture{};
  TDibLayout layout;
  if (!ReadLayout(dib, layout))
    return false;
  const uint64_t table = TableEntries(layout) * layout.EntrySize();
  const uint64_t pixels = 14 + layout.TableOffset() + table;
  if (pixels > 14 + dib.size())
    return false;
  // Put the file header back and let the picture decoder read it as a file.
  std::string file = "BM";
  const uint64_t fileSize = 14 + dib.size();
  for (uint64_t value : {fileSize, uint64_t{0}, pixels})
    for (int i = 0; i < 4; ++i)
      file.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
  file.append(dib);
  return FinishDecodedPicture(ReadStbBmpPicture(file, picture), level, picture);
}
