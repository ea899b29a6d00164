#include "ui/kit/SkinnedButton.h"

#include "ui/Contrast.h"
#include "ui/Cursors.h"
#include "ui/kit/Palettes.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kFrameLight = 0xFFFFFF, kFrameDark = 0x808080;
constexpr double kPixelLimit = 1 << 30;

// A fraction of a size in pixels, to the nearest integer with halves to the
// even one (the default rounding mode of nearbyint).
int Scale(double fraction, int size) {
  const double pixels = fraction * size;
  if (!(pixels == pixels))
    return 0;
  return static_cast<int>(std::nearbyint(std::clamp(pixels, -kPixelLimit, kPixelLimit)));
}

} // namespace

TBaseBtn::TBaseBtn(TComponent *owner, std::string name) : GGraphicControl(owner, std::move(name)) {
  RegisterHandCursors();
  SetCursor(crHandCursor);
  SetBounds(0, 0, 120, 40);
}

void TBaseBtn::MouseDown(TMouseButton button, int x, int y) {
  GGraphicControl::MouseDown(button, x, y);
  pressed_ = true;
  Invalidate();
}

void TBaseBtn::MouseUp(TMouseButton button, int x, int y) {
  GGraphicControl::MouseUp(button, x, y);
  pressed_ = false;
  Invalidate();
}

void TBaseBtn::MouseCancel() {
  pressed_ = false;
  Invalidate();
}

void TBaseBtn::PaintGlyph(ICanvas &canvas, const TPictureProperty &glyph, double sx, double sy) {
  const TRect &b = Bounds();
  const int w = b.Width, h = b.Height;
  if (GlyphStretched) {
    StretchGraphic(canvas,
                   {b.Left + Scale(GlyphXOffset + sx, w), b.Top + Scale(GlyphYOffset + sy, h),
                    b.Left + Scale(GlyphXOffset + GlyphWidth + sx, w),
                    b.Top + Scale(GlyphYOffset + GlyphHeight + sy, h)},
                   glyph);
  } else if (GlyphCentered) {
    DrawGraphicAt(canvas, b.Left + (w - glyph.Width()) / 2 + Scale(sx, w),
                  b.Top + (h - glyph.Height()) / 2 + Scale(sy, h), glyph);
  } else {
    DrawGraphicAt(canvas, b.Left + Scale(GlyphXOffset + sx, w),
                  b.Top + Scale(GlyphYOffset + sy, h), glyph);
  }
}

// The left and top edges in one colour, the bottom and right in the other.
void TBaseBtn::PaintFrame(ICanvas &canvas, uint32_t topLeft, uint32_t bottomRight) {
  const TRect &b = Bounds();
  const int left = b.Left, top = b.Top, right = b.Left + b.Width - 1, bottom = b.Top + b.Height - 1;
  canvas.Pen = {topLeft, 1, TPenStyle::psSolid};
  canvas.Line(right, top, left, top);
  canvas.Line(left, top, left, bottom);
  canvas.Pen = {bottomRight, 1, TPenStyle::psSolid};
  canvas.Line(left, bottom, right, bottom);
  canvas.Line(right, bottom, right, top);
}

void TBaseBtn::Paint(ICanvas &canvas) {
  if (!Visible())
    return;
  const TRect &b = Bounds();
  const int w = b.Width, h = b.Height;
  const bool down = pressed_ || ButtonIsDown;
  const double sx = ShadowXOffset, sy = ShadowYOffset;
  auto face = [&](double dx, double dy) {
    return TCanvasRect{b.Left + Scale(FaceXOffset + dx, w), b.Top + Scale(FaceYOffset + dy, h),
                       b.Left + Scale(FaceXOffset + FaceWidth + dx, w),
                       b.Top + Scale(FaceYOffset + FaceHeight + dy, h)};
  };
  TPaletteScope palette(canvas);
  canvas.Brush = Brush;
  canvas.Pen = Pen;
  canvas.Font = CanvasFontOf(Font());

  if (!down && FaceVisible) {
    canvas.Brush = {ShadowColor, TBrushStyle::bsSolid};
    canvas.Pen.Color = ShadowColor;
    canvas.RoundRect(face(sx, sy), CaptionXRound, CaptionYRound);
    canvas.Brush = Brush;
    canvas.Pen = Pen;
  }
  if (Enabled() && down) {
    if (FaceVisible)
      canvas.RoundRect(face(sx, sy), CaptionXRound, CaptionYRound);
    const bool useUp = GlyphUpIsGlyphDown || GlyphDown.Empty();
    if (!useUp)
      PaintGlyph(canvas, GlyphDown, sx, sy);
    else if (GlyphUpIsGlyphDown && !GlyphUp.Empty())
      PaintGlyph(canvas, GlyphUp, sx, sy);
    if (!FaceVisible)
      PaintFrame(canvas, kFrameDark, kFrameLight); // sunken
  } else {
    if (FaceVisible)
      canvas.RoundRect(face(0, 0), CaptionXRound, CaptionYRound);
    PaintGlyph(canvas, Enabled() ? GlyphUp : GlyphDisabled, 0, 0);
    if (Enabled() && !FaceVisible && ButtonIsHot)
      PaintFrame(canvas, kFrameLight, kFrameDark); // raised
  }

  // The caption's top-left corner; a latched button moves it even when disabled.
  int x = b.Left + Scale(CaptionXOffset + (down ? sx : 0), w);
  int y = b.Top + Scale(CaptionYOffset + (down ? sy : 0), h);
  if (CaptionCentered) {
    x = b.Left + (w - canvas.TextWidth(Caption())) / 2 + (down ? Scale(sx, w) : 0);
    y = b.Top + (h - canvas.TextHeight(Caption())) / 2 + (down ? Scale(sy, h) : 0);
  }
  const THighContrast &contrast = HighContrast();
  if (contrast.On && !Caption().empty()) {
    // The caption on a plate of the system's colours instead of the skin.
    canvas.Brush = {contrast.Back, TBrushStyle::bsSolid};
    canvas.FillRect({x - 2, y - 1, x + canvas.TextWidth(Caption()) + 2,
                     y + canvas.TextHeight(Caption()) + 1});
    canvas.Brush.Style = TBrushStyle::bsClear;
    canvas.Font.Color = Enabled() ? contrast.Text : contrast.Disabled;
    canvas.TextAt(x, y, Caption());
    return;
  }
  canvas.Brush.Style = TBrushStyle::bsClear;
  if (CaptionPenVisible) {
    canvas.Font.Color = CaptionPenColor;
    canvas.TextAt(x - 1, y - 1, Caption());
  }
  canvas.Font.Color = Enabled() ? Font().Color : kGrayTextColor;
  canvas.TextAt(x, y, Caption());
}
