#include "movaro/SkinControls.h"

void DrawSkinImage(ICanvas &canvas, int x, int y, const TSkinImage &image) {
  if (!image || image->Empty())
    return;
  TCanvasBitmap bitmap;
  bitmap.Width = image->Width;
  bitmap.Height = image->Height;
  bitmap.Pixels = image->Pixels.data();
  canvas.Draw(x, y, bitmap);
}

void TSkinPicture::SetImage(TSkinImage image) {
  image_ = std::move(image);
  Invalidate();
}

void TSkinPicture::Paint(ICanvas &canvas) {
  if (!image_ || image_->Empty())
    return;
  const TRect &b = Bounds();
  int x = b.Left, y = b.Top;
  if (Centered) {
    x += (b.Width - image_->Width) / 2;
    y += (b.Height - image_->Height) / 2;
  }
  DrawSkinImage(canvas, x, y, image_);
}

TSkinButton::TSkinButton(TComponent *owner, std::string name)
    : TSpeedButton(owner, std::move(name)) {
  OnMouseDown = [this](TComponent &, TMouseButton button, int, int) {
    if (button == TMouseButton::mbLeft) {
      Pressed = true;
      Invalidate();
    }
  };
  OnMouseUp = [this](TComponent &, TMouseButton, int, int) {
    Pressed = false;
    Invalidate();
  };
}

void TSkinButton::SetGlyphs(TSkinImage up, TSkinImage down, TSkinImage disabled) {
  GlyphUp = std::move(up);
  GlyphDown = std::move(down);
  GlyphDisabled = std::move(disabled);
  Invalidate();
}

void TSkinButton::Paint(ICanvas &canvas) {
  const TRect &b = Bounds();
  const TSkinImage &glyph = !Enabled() ? GlyphDisabled : Pressed ? GlyphDown : GlyphUp;
  const int shift = Pressed ? 1 : 0;
  if (glyph && !glyph->Empty()) {
    DrawSkinImage(canvas, b.Left, b.Top, glyph);
  } else if (FaceVisible) {
    canvas.Pen = {Color(), 1, TPenStyle::psSolid};
    canvas.Brush = {Color(), TBrushStyle::bsSolid};
    canvas.RoundRect({b.Left + shift, b.Top + shift, b.Left + b.Width, b.Top + b.Height}, 5, 5);
  }
  if (Caption().empty())
    return;
  canvas.Font = CanvasFontOf(Font());
  if (!Enabled())
    canvas.Font.Color = 0x808080;
  canvas.Brush.Style = TBrushStyle::bsClear;
  const int x = CaptionX >= 0 ? CaptionX : (b.Width - canvas.TextWidth(Caption())) / 2;
  canvas.TextAt(b.Left + x + shift,
                b.Top + (b.Height - canvas.TextHeight(Caption())) / 2 + shift, Caption());
}
