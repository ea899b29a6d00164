// Pictures decoded from the fixtures ImageMagick makes at build time.
#include "data/image/Picture.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::string Fixture(const std::string &name) {
  return TScratchFolder::ReadFile(std::string(MOVARO_PICTURES) + "/" + name);
}

// Whether a pixel is within tolerance of a colour, channel by channel.
bool Near(uint32_t pixel, uint32_t colour, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(static_cast<int>((pixel >> shift) & 0xFF) - static_cast<int>((colour >> shift) & 0xFF)) >
        tolerance)
      return false;
  return true;
}

TEST(Picture, EveryFormatDecodesTheSameQuarters) {
  for (const char *name : {"quad.png", "quad.jpg", "quadprog.jpg", "quad.gif", "quad.bmp", "quad8.bmp", "quad.pcx",
                           "quad8.pcx", "quad.tif", "quadlzw.tif", "quadzip.tif", "quadrle.tif",
                           "quadpal.tif", "quadmm.tif"}) {
    SCOPED_TRACE(name);
    TPicture p;
    ASSERT_TRUE(DecodePicture(Fixture(name), TColorLevel::clFull, p));
    ASSERT_EQ(p.Width, 40);
    ASSERT_EQ(p.Height, 20);
    int tolerance = std::string(name).find(".jpg") != std::string::npos ? 24 : 0;
    EXPECT_TRUE(Near(p.At(5, 4), 0xFF0000, tolerance));  // red
    EXPECT_TRUE(Near(p.At(34, 4), 0x00FF00, tolerance)); // lime
    EXPECT_TRUE(Near(p.At(5, 15), 0x0000FF, tolerance)); // blue
    EXPECT_TRUE(Near(p.At(34, 15), 0xFFFFFF, tolerance));
  }
  for (const char *name : {"quadmono.pcx", "quadgray.tif"}) { // 1-bit, 16-bit grey
    SCOPED_TRACE(name);
    TPicture p;
    ASSERT_TRUE(DecodePicture(Fixture(name), TColorLevel::clFull, p));
    EXPECT_EQ(p.At(3, 3), 0x000000u);
    EXPECT_EQ(p.At(36, 3), 0xFFFFFFu);
  }
}

TEST(Picture, LowerLevelsKeepToTheirCubes) {
  EXPECT_EQ(ColorLevelForDepth(4), TColorLevel::clLowest);
  EXPECT_EQ(ColorLevelForDepth(8), TColorLevel::clMiddle);
  EXPECT_EQ(ColorLevelForDepth(15), TColorLevel::clMiddle);
  EXPECT_EQ(ColorLevelForDepth(16), TColorLevel::clFull);
  TPicture grey;
  grey.Width = 8;
  grey.Height = 8;
  grey.Pixels.assign(64, 0x808080); // half grey dithers to a mix
  for (TColorLevel level : {TColorLevel::clLowest, TColorLevel::clMiddle}) {
    TPicture p = grey;
    ReducePictureColors(p, level);
    int step = level == TColorLevel::clLowest ? 255 : 51, dark = 0;
    for (uint32_t px : p.Pixels) {
      EXPECT_EQ((px & 0xFF) % step, 0u);
      dark += (px & 0xFF) < 0x80;
    }
    if (level == TColorLevel::clLowest) {
      EXPECT_EQ(dark, 32); // half black, half white
    }
  }
}

TEST(Picture, DamagedOrHugeFilesAreRefusedWhole) {
  TPicture p;
  EXPECT_FALSE(DecodePicture("", TColorLevel::clFull, p));
  EXPECT_FALSE(DecodePicture("plain text, not a picture", TColorLevel::clFull, p));
  // (stb_image shows what there is of a truncated BMP or GIF; the rest stays black.)
  for (const char *name : {"quad.png", "quad.jpg", "quad.pcx", "quad.tif", "quadlzw.tif", "quadzip.tif",
                           "quadrle.tif"}) {
    SCOPED_TRACE(name);
    std::string bytes = Fixture(name);
    EXPECT_FALSE(DecodePicture(bytes.substr(0, bytes.size() / 2), TColorLevel::clFull, p));
    EXPECT_TRUE(p.Empty());
  }
  // A PCX header that claims 60000 x 60000 pixels is refused before any buffer.
  std::string pcx = Fixture("quad.pcx");
  pcx[8] = pcx[9] = pcx[10] = pcx[11] = '\x60';
  EXPECT_FALSE(DecodePicture(pcx, TColorLevel::clFull, p));
  // A Huffman table of more than 256 codes (the decoder's tables hold 256).
  std::string jpeg = Fixture("quad.jpg");
  size_t table = jpeg.find("\xFF\xC4");
  ASSERT_NE(table, std::string::npos);
  for (size_t i = table + 5; i < table + 21; ++i)
    jpeg[i] = '\x20';
  EXPECT_FALSE(DecodePicture(jpeg, TColorLevel::clFull, p));
  // A scan that uses a Huffman table its file never defined (AC table 3),
  // added before the end: the decoder would take whatever an earlier picture
  // left in the table's place.
  jpeg = Fixture("quadprog.jpg");
  ASSERT_TRUE(DecodePicture(jpeg, TColorLevel::clFull, p));
  jpeg.insert(jpeg.size() - 2, std::string("\xFF\xDA\x00\x08\x01\x01\x03\x01\x01\x00", 10));
  EXPECT_FALSE(DecodePicture(jpeg, TColorLevel::clFull, p));
  // An empty first image-data chunk of a PNG.
  std::string png = Fixture("quad.png");
  const size_t data = png.find("IDAT");
  ASSERT_NE(data, std::string::npos);
  ASSERT_TRUE(DecodePicture(png, TColorLevel::clFull, p));
  // After a chunk longer than 255 bytes, and also with the file ending right
  // after the empty chunk's name.
  const std::string text = std::string("\0\0\x01\x2CtEXt", 8) + std::string(300, 'x') + "CRC!";
  png.insert(data - 4, text + std::string("\0\0\0\0IDAT\x35\xAF\x06\x1E", 12));
  EXPECT_FALSE(DecodePicture(png, TColorLevel::clFull, p));
  EXPECT_FALSE(DecodePicture(png.substr(0, data - 4 + text.size() + 8), TColorLevel::clFull, p));
  std::string bmp = Fixture("wide.bmp");
  bmp[18] = bmp[19] = bmp[20] = '\x7F'; // width 8 million
  EXPECT_FALSE(DecodePicture(bmp, TColorLevel::clFull, p));
}

} // namespace
