#pragma once
// The canvas on a GDI device context. Font, pen and brush objects are created
// when a drawing call needs them and selected into the context for that call;
// the context's own objects are restored when the canvas goes. Callers draw
// and measure in design units; the canvas draws in the device pixels of its
// display scale (coordinates, font heights, pen widths) and measures text at
// the scaled font, giving back the design length that covers it.

#include "platform/Canvas.h"
#include "platform/DisplayScale.h"

#include <windows.h>

class TGdiCanvas : public ICanvas {
public:
  explicit TGdiCanvas(HDC dc, TDisplayScale scale = TDisplayScale());
  ~TGdiCanvas() override;
  TGdiCanvas(const TGdiCanvas &) = delete;
  TGdiCanvas &operator=(const TGdiCanvas &) = delete;

  HDC Handle() const { return dc_; }
  const TDisplayScale &Scale() const { return scale_; }
  // A GDI font for a canvas font at a display scale (the caller deletes it).
  static HFONT CreateFontFor(const TCanvasFont &font, const TDisplayScale &scale);

  void TextAt(int x, int y, const std::string &text) override;
  int TextWidth(const std::string &text) override;
  int TextHeight(const std::string &text) override;
  void Rectangle(const TCanvasRect &r) override;
  void RoundRect(const TCanvasRect &r, int cornerWidth, int cornerHeight) override;
  void FillRect(const TCanvasRect &r) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void Draw(int x, int y, const TCanvasBitmap &bitmap) override;
  void StretchDraw(const TCanvasRect &target, const TCanvasBitmap &bitmap) override;
  TCanvasRect ClipRect() override;
  const void *SelectPalette(const void *palette) override;

private:
  void UseFont();
  void UsePenAndBrush();
  SIZE Measure(const std::string &text);

  HDC dc_;
  TDisplayScale scale_;
  HGDIOBJ originalFont_, originalPen_, originalBrush_;
  HPALETTE originalPalette_ = nullptr;
  HFONT font_ = nullptr;
  TCanvasFont fontMade_;
  HPEN pen_ = nullptr;
  HBRUSH brush_ = nullptr;
};
