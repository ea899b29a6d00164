#pragma once
// The painted parts of Movaro's skinned windows: a picture (a window's
// backdrop) and a button drawn from three pictures (up, pressed, disabled)
// with its caption over them, or, without pictures, as a rounded face.
// Both are windowless: their parent paints them through the canvas.

#include "data/image/Picture.h"
#include "ui/Controls.h"

#include <memory>

using TSkinImage = std::shared_ptr<const TPicture>;

class TSkinPicture : public TControl {
public:
  using TControl::TControl;
  MOVARO_KIND(ckImage)
  bool Windowless() const override { return true; }
  void SetImage(TSkinImage image);
  const TSkinImage &Image() const { return image_; }
  // Centred in the control (else from its top-left corner).
  bool Centered = false;
  void Paint(ICanvas &canvas) override;

private:
  TSkinImage image_;
};

class TSkinButton : public TSpeedButton {
public:
  TSkinButton(TComponent *owner, std::string name);
  TSkinImage GlyphUp, GlyphDown, GlyphDisabled;
  // Without pictures: a rounded face in Color() with the caption in the
  // font's colour; FaceVisible false leaves an invisible hot area.
  bool FaceVisible = true;
  // Where the caption begins; -1 centres it.
  int CaptionX = -1;
  void SetGlyphs(TSkinImage up, TSkinImage down, TSkinImage disabled);
  void Paint(ICanvas &canvas) override;
  // Held down by the mouse: drawn pressed.
  bool Pressed = false;
};

// Draws a picture at (x, y) in its own size; nothing for an empty one.
void DrawSkinImage(ICanvas &canvas, int x, int y, const TSkinImage &image);
