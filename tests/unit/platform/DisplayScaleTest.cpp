#include "platform/DisplayScale.h"

#include <gtest/gtest.h>

namespace {

struct TScaleRow {
  int Dpi;
  int Design, Device;   // ToDevice(Design) == Device
  int Pointer, Back;    // ToDesign(Pointer) == Back
  int Text, Covering;   // DesignLengthCovering(Text) == Covering
  int FontPoints, FontHeight;
  int SkinPercent;
};

// 96, 120, 144 and 192 per inch are 100, 125, 150 and 200 %; 168 (175 %)
// ties between two skins and takes the larger; halves round away from zero.
constexpr TScaleRow kRows[] = {
    {96, 37, 37, 37, 37, 37, 37, 8, -11, 100},
    {120, 37, 46, 46, 37, 46, 37, 8, -13, 125},  // 46.25; 36.8 -> 37
    {120, -2, -3, -3, -2, 47, 38, 9, -15, 125},  // -2.5 -> -3; -2.4 -> -2; 37.6 up to 38
    {144, 3, 5, 5, 3, 5, 4, 8, -16, 150},        // 4.5 -> 5; 3.33 -> 3; 3.33 up to 4
    {144, 640, 960, 961, 641, 961, 641, 24, -48, 150},
    {192, 445, 890, 891, 446, 891, 446, 8, -21, 200}, // 445.5 -> 446; 21.33 -> 21
    {168, 4, 7, 7, 4, 7, 4, 10, -23, 200},       // 7.0; 23.33 -> 23
    {167, 4, 7, 7, 4, 7, 5, 10, -23, 150},       // just under 175 %: the smaller skin
    {72, 10, 8, 8, 11, 8, 11, 8, -8, 100},       // below the design scale: the smallest skin
};

TEST(DisplayScaleTest, TurnsDesignUnitsToDevicePixelsAndBack) {
  for (const TScaleRow &row : kRows) {
    SCOPED_TRACE(testing::Message() << row.Dpi << " dpi, design " << row.Design);
    const TDisplayScale scale(row.Dpi);
    EXPECT_EQ(scale.ToDevice(row.Design), row.Device);
    EXPECT_EQ(scale.ToDesign(row.Pointer), row.Back);
    EXPECT_EQ(scale.DesignLengthCovering(row.Text), row.Covering);
    EXPECT_GE(scale.ToDevice(row.Covering), row.Text); // a measured caption fits
    EXPECT_EQ(scale.FontHeight(row.FontPoints), row.FontHeight);
    EXPECT_EQ(scale.SkinPercent(), row.SkinPercent);
  }
}

// The bitmap default face keeps its 96-dpi sizes: elsewhere an outline face
// that grows with the scale; other faces are made as asked.
TEST(DisplayScaleTest, TheBitmapDefaultFaceGivesWayToAnOutlineFaceAwayFromTheDesignScale) {
  EXPECT_EQ(TDisplayScale(96).FontFace("MS Sans Serif"), "MS Sans Serif");
  EXPECT_EQ(TDisplayScale(192).FontFace("ms sans serif"), "MS Shell Dlg 2");
  EXPECT_EQ(TDisplayScale(120).FontFace("Verdana"), "Verdana");
}

TEST(DisplayScaleTest, RectanglesScaleEdgeByEdgeAndClipBoxesAreCovered) {
  const TDisplayScale scale(144);
  // Two rectangles that touch at 3 still touch at 5 (4.5 rounded up for both).
  const TCanvasRect left = scale.ToDevice({1, 1, 3, 3}), right = scale.ToDevice({3, 1, 7, 3});
  EXPECT_EQ(left.Right, right.Left);
  EXPECT_EQ(right.Right, 11);
  // A device clip box from 5 to 10 is design 3.33 to 6.67: 3 to 7 holds it.
  const TCanvasRect clip = scale.DesignRectCovering({-5, 5, 10, 10});
  EXPECT_EQ(clip.Left, -4);
  EXPECT_EQ(clip.Top, 3);
  EXPECT_EQ(clip.Right, 7);
  EXPECT_EQ(clip.Bottom, 7);
}

TEST(DisplayScaleTest, ASettingNoDisplayHasCountsAsTheDesignScale) {
  for (int dpi : {0, -144, 1, 47, 961, 1 << 30}) {
    const TDisplayScale scale(dpi);
    EXPECT_TRUE(scale.IsDesign()) << dpi;
    EXPECT_EQ(scale.ToDevice(1000), 1000) << dpi;
  }
  EXPECT_FALSE(TDisplayScale(48).IsDesign());
  EXPECT_EQ(TDisplayScale(960).ToDevice(10), 100);
}

} // namespace
