#pragma once
// The push button of the programs' own look: a windowless control that draws
// itself from its properties. A rounded face with a shadow behind it, one of
// three glyph pictures (up, down, disabled) and a caption, each placed by
// fractions of the button's width and height, so one design scales with the
// button's size. Pressing it moves face, glyph and caption onto the shadow's
// place; the press lasts until the mouse button is released, so the button
// still looks pressed while its OnClick runs.
//
// ButtonIsDown (a latched button) and ButtonIsHot (a raised frame on a
// face-less button) are set by the button's window, never by the button.
// Every property repaints the button when it changes, and only then.

#include "ui/kit/GraphicControl.h"
#include "ui/kit/Graphics.h"

// The system's colour for disabled text.
constexpr uint32_t kGrayTextColor = 0x808080;

class TBaseBtn : public GGraphicControl {
public:
  // A new button is 120 x 40 pixels; its cursor is the hand (crHandCursor).
  TBaseBtn(TComponent *owner, std::string name);
  MOVARO_KIND(ckSkinnedButton)

  TPaintedValue<TCanvasBrush> Brush{*this, {0xFFFFFF, TBrushStyle::bsSolid}}; // the face's fill
  TPaintedValue<bool> ButtonIsDown{*this, false};
  TPaintedValue<bool> ButtonIsHot{*this, false};
  TPaintedValue<uint32_t> CaptionPenColor{*this, 0x000000};
  // The caption drawn once more, in CaptionPenColor one pixel up and left, behind it.
  TPaintedValue<bool> CaptionPenVisible{*this, false};
  TPaintedValue<double> CaptionXOffset{*this, 0}, CaptionYOffset{*this, 0}; // its top-left corner
  // The caption centred in the button, as the canvas measures it, instead of
  // placed by the offsets: a translated caption stays in the middle.
  TPaintedValue<bool> CaptionCentered{*this, false};
  // The ellipse rounding the corners of face and shadow, in pixels.
  TPaintedValue<int> CaptionXRound{*this, 0}, CaptionYRound{*this, 0};
  TPaintedValue<double> FaceHeight{*this, 0.5};
  TPaintedValue<bool> FaceVisible{*this, true}; // without face and shadow: 3-D frames
  TPaintedValue<double> FaceWidth{*this, 0.8};
  TPaintedValue<double> FaceXOffset{*this, 0}, FaceYOffset{*this, 0};
  TPaintedValue<bool> GlyphCentered{*this, false}; // an unstretched glyph in the middle
  TPictureProperty GlyphDisabled{[this] { Invalidate(); }};
  TPictureProperty GlyphDown{[this] { Invalidate(); }};
  TPaintedValue<double> GlyphHeight{*this, 0.8};
  TPaintedValue<bool> GlyphStretched{*this, false};
  TPictureProperty GlyphUp{[this] { Invalidate(); }};
  // The pressed button shows GlyphUp, shifted, instead of GlyphDown.
  TPaintedValue<bool> GlyphUpIsGlyphDown{*this, false};
  TPaintedValue<double> GlyphWidth{*this, 0.2};
  TPaintedValue<double> GlyphXOffset{*this, 0}, GlyphYOffset{*this, 0};
  TPaintedValue<TCanvasPen> Pen{*this, {0x000000, 1, TPenStyle::psSolid}}; // the face's outline
  TPaintedValue<uint32_t> ShadowColor{*this, 0x808080};
  // The shadow's shift, and the pressed look's, as fractions of width and height.
  TPaintedValue<double> ShadowXOffset{*this, 0}, ShadowYOffset{*this, 0};

  // Pressed by Enter (unless another button has the focus) or by Escape in
  // its form, as a dialog's default and cancel buttons (ui/DialogKeys.h).
  bool Default = false, Cancel = false;

  // True while a mouse button is held down on the button.
  bool Pressed() const { return pressed_; }

  void Paint(ICanvas &canvas) override;
  void MouseDown(TMouseButton button, int x, int y) override;
  void MouseUp(TMouseButton button, int x, int y) override;
  void MouseCancel() override;

private:
  void PaintGlyph(ICanvas &canvas, const TPictureProperty &glyph, double sx, double sy);
  void PaintFrame(ICanvas &canvas, uint32_t topLeft, uint32_t bottomRight);
  bool pressed_ = false;
};
