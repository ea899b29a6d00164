#pragma once
// Drawing surface of windows and windowless controls: fonts, pen, brush,
// text, rectangles, lines, bitmaps and the palette. The GDI canvas draws on a
// device context; the recording canvas keeps a list of what was drawn, with
// fixed text metrics, for layout tests.

#include <cstdint>
#include <string>

struct TCanvasFont {
  std::string Name = "MS Sans Serif";
  int Size = 8; // points, at 96 pixels per inch
  bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
  uint32_t Color = 0; // Windows colour value 0x00BBGGRR
  bool operator==(const TCanvasFont &) const = default;
};

enum class TPenStyle { psSolid, psDash, psDot, psClear };
enum class TBrushStyle { bsSolid, bsClear };

struct TCanvasPen {
  uint32_t Color = 0;
  int Width = 1;
  TPenStyle Style = TPenStyle::psSolid;
  bool operator==(const TCanvasPen &) const = default;
};

struct TCanvasBrush {
  uint32_t Color = 0xFFFFFF;
  TBrushStyle Style = TBrushStyle::bsSolid;
  bool operator==(const TCanvasBrush &) const = default;
};

struct TCanvasRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
};

// A bitmap a canvas can copy from: an opaque handle of the implementation
// (a GDI bitmap, or a name for the recording canvas) and its size; or, with
// no handle, Width * Height pixels 0x00RRGGBB, top row first, that the canvas
// copies straight from memory (decoded pictures).
struct TCanvasBitmap {
  const void *Handle = nullptr;
  std::string Name;
  int Width = 0, Height = 0;
  const uint32_t *Pixels = nullptr;
  // Pixels per 100 design units (a picture drawn for a larger scale): Draw
  // places it at its design size.
  int Percent = 100;
  int DesignWidth() const { return Percent > 0 ? (Width * 100 + Percent / 2) / Percent : Width; }
  int DesignHeight() const { return Percent > 0 ? (Height * 100 + Percent / 2) / Percent : Height; }
};

class ICanvas {
public:
  virtual ~ICanvas() = default;
  TCanvasFont Font;
  TCanvasPen Pen;
  TCanvasBrush Brush;

  // Text at a point (top-left), in Font; transparent background when the
  // brush is clear, else on the brush colour.
  virtual void TextAt(int x, int y, const std::string &text) = 0;
  virtual int TextWidth(const std::string &text) = 0;
  virtual int TextHeight(const std::string &text) = 0;
  // Outline in Pen, filled with Brush.
  virtual void Rectangle(const TCanvasRect &r) = 0;
  virtual void RoundRect(const TCanvasRect &r, int cornerWidth, int cornerHeight) = 0;
  virtual void FillRect(const TCanvasRect &r) = 0; // Brush only
  virtual void Line(int x1, int y1, int x2, int y2) = 0;
  // The bitmap at its design size with its top-left corner at (x, y).
  virtual void Draw(int x, int y, const TCanvasBitmap &bitmap) = 0;
  virtual void StretchDraw(const TCanvasRect &target, const TCanvasBitmap &bitmap) = 0;
  // The part of the surface that drawing can change (what a paint updates);
  // painting loops use it to skip what cannot show.
  virtual TCanvasRect ClipRect() = 0;
  // Selects and realises a logical palette (an implementation's handle) for
  // the following drawing; none selects the default one. Returns the palette
  // selected before, which restores it when selected again.
  virtual const void *SelectPalette(const void *palette) = 0;
};
