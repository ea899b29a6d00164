#include "data/image/Dib.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void PutLe(std::string &b, size_t at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    b[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

// A bitmap resource: a 40-byte information header, the colour table, one row
// of a 1 x 1 picture.
std::string InfoDib(int bits, uint32_t usedColors, int tableEntries) {
  std::string b(40 + 4 * tableEntries + 4, '\0');
  PutLe(b, 0, 40, 4);
  PutLe(b, 4, 1, 4);
  PutLe(b, 8, 1, 4);
  PutLe(b, 12, 1, 2);
  PutLe(b, 14, bits, 2);
  PutLe(b, 32, usedColors, 4);
  for (int i = 0; i < tableEntries; ++i)
    PutLe(b, 40 + 4 * i, 0x010203u * i, 4); // blue, green, red bytes
  return b;
}

TEST(Dib, ColourTablesFollowTheHeaderAndBadBytesGiveNone) {
  std::vector<uint32_t> colors;
  ASSERT_TRUE(ReadDibColorTable(InfoDib(4, 0, 16), colors));
  ASSERT_EQ(colors.size(), 16u);
  EXPECT_EQ(colors[2], 0x020406u); // 0x00RRGGBB
  ASSERT_TRUE(ReadDibColorTable(InfoDib(8, 3, 3), colors)); // the used-colours count rules
  EXPECT_EQ(colors.size(), 3u);
  TPicture picture;
  EXPECT_TRUE(DecodeDib(InfoDib(8, 3, 3), TColorLevel::clFull, picture));
  EXPECT_EQ(picture.Width, 1);

  // A core header: 3 bytes an entry, 2 to the power of the bit count.
  std::string core(12 + 3 * 2, '\0');
  PutLe(core, 0, 12, 4);
  PutLe(core, 10, 1, 2);
  core[12 + 3 + 2] = '\x7F'; // the second entry's red
  ASSERT_TRUE(ReadDibColorTable(core, colors));
  EXPECT_EQ(colors, (std::vector<uint32_t>{0, 0x7F0000}));

  // Outside bytes: truncated tables and headers, no table at 24 bits, an
  // absurd header size; never a partial table.
  for (const std::string &bad : {InfoDib(8, 0, 200), InfoDib(24, 0, 0), std::string("\x28\0\0", 3),
                                 std::string(), core.substr(0, 14)}) {
    EXPECT_FALSE(ReadDibColorTable(bad, colors));
    EXPECT_TRUE(colors.empty());
  }
  std::string huge = InfoDib(8, 0, 256);
  PutLe(huge, 0, 0x7FFFFFFF, 4);
  EXPECT_FALSE(ReadDibColorTable(huge, colors));
  EXPECT_FALSE(DecodeDib(huge, TColorLevel::clFull, picture));
  EXPECT_TRUE(picture.Empty());
}

} // namespace
