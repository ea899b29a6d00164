#include "platform/win32/GdiCanvas.h"
#include "platform/win32/Win32Dib.h"

#include <algorithm>

TGdiCanvas::TGdiCanvas(HDC dc, TDisplayScale scale)
    : dc_(dc), scale_(scale), originalFont_(GetCurrentObject(dc, OBJ_FONT)),
      originalPen_(GetCurrentObject(dc, OBJ_PEN)), originalBrush_(GetCurrentObject(dc, OBJ_BRUSH)) {}

TGdiCanvas::~TGdiCanvas() {
  SelectObject(dc_, originalFont_);
  SelectObject(dc_, originalPen_);
  SelectObject(dc_, originalBrush_);
  if (originalPalette_)
    ::SelectPalette(dc_, originalPalette_, FALSE);
  if (font_)
    DeleteObject(font_);
  if (pen_)
    DeleteObject(pen_);
  if (brush_)
    DeleteObject(brush_);
}

HFONT TGdiCanvas::CreateFontFor(const TCanvasFont &f, const TDisplayScale &scale) {
  return CreateFontA(scale.FontHeight(f.Size), 0, 0, 0, f.Bold ? FW_BOLD : FW_NORMAL, f.Italic, f.Underline,
                     f.StrikeOut, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, scale.FontFace(f.Name).c_str());
}

void TGdiCanvas::UseFont() {
  if (!font_ || !(fontMade_ == Font)) {
    HFONT made = CreateFontFor(Font, scale_);
    SelectObject(dc_, made);
    if (font_)
      DeleteObject(font_);
    font_ = made;
    fontMade_ = Font;
  }
  SetTextColor(dc_, Font.Color);
}

void TGdiCanvas::UsePenAndBrush() {
  // A solid frame is drawn inside its rectangle, as wide as the scale makes
  // it (a pen of 1 is 2 pixels at 150 %): centred on the edge, it would
  // stand a pixel outside the control's area, where no repaint of the
  // control (or of its place once it is hidden) reaches.
  static const int kStyles[] = {PS_INSIDEFRAME, PS_DASH, PS_DOT, PS_NULL};
  // A pen of width 0 is a hairline on every scale; others grow with it.
  const int width = Pen.Width > 0 ? std::max(1, scale_.ToDevice(Pen.Width)) : Pen.Width;
  HPEN pen = CreatePen(kStyles[static_cast<int>(Pen.Style)], width, Pen.Color);
  HBRUSH brush = Brush.Style == TBrushStyle::bsClear
                     ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                     : CreateSolidBrush(Brush.Color);
  SelectObject(dc_, pen);
  SelectObject(dc_, brush);
  if (pen_)
    DeleteObject(pen_);
  if (brush_)
    DeleteObject(brush_); // deleting a stock object is harmless
  pen_ = pen;
  brush_ = brush;
}

SIZE TGdiCanvas::Measure(const std::string &text) {
  UseFont();
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

void TGdiCanvas::TextAt(int x, int y, const std::string &text) {
  UseFont();
  if (Brush.Style == TBrushStyle::bsClear) {
    SetBkMode(dc_, TRANSPARENT);
  } else {
    SetBkMode(dc_, OPAQUE);
    SetBkColor(dc_, Brush.Color);
  }
  ::TextOutA(dc_, scale_.ToDevice(x), scale_.ToDevice(y), text.c_str(),
             static_cast<int>(text.size()));
}

int TGdiCanvas::TextWidth(const std::string &text) {
  return scale_.DesignLengthCovering(Measure(text).cx);
}

int TGdiCanvas::TextHeight(const std::string &text) {
  return scale_.DesignLengthCovering(Measure(text.empty() ? std::string("M") : text).cy);
}

void TGdiCanvas::Rectangle(const TCanvasRect &design) {
  UsePenAndBrush();
  const TCanvasRect r = scale_.ToDevice(design);
  ::Rectangle(dc_, r.Left, r.Top, r.Right, r.Bottom);
}

void TGdiCanvas::RoundRect(const TCanvasRect &design, int cw, int ch) {
  UsePenAndBrush();
  const TCanvasRect r = scale_.ToDevice(design);
  ::RoundRect(dc_, r.Left, r.Top, r.Right, r.Bottom, scale_.ToDevice(cw), scale_.ToDevice(ch));
}

void TGdiCanvas::FillRect(const TCanvasRect &design) {
  const TCanvasRect r = scale_.ToDevice(design);
  RECT rect{r.Left, r.Top, r.Right, r.Bottom};
  HBRUSH brush = CreateSolidBrush(Brush.Color);
  ::FillRect(dc_, &rect, brush);
  DeleteObject(brush);
}

void TGdiCanvas::Line(int x1, int y1, int x2, int y2) {
  UsePenAndBrush();
  MoveToEx(dc_, scale_.ToDevice(x1), scale_.ToDevice(y1), nullptr);
  LineTo(dc_, scale_.ToDevice(x2), scale_.ToDevice(y2));
}

void TGdiCanvas::Draw(int x, int y, const TCanvasBitmap &bitmap) {
  StretchDraw({x, y, x + bitmap.DesignWidth(), y + bitmap.DesignHeight()}, bitmap);
}

void TGdiCanvas::StretchDraw(const TCanvasRect &design, const TCanvasBitmap &bitmap) {
  const TCanvasRect target = scale_.ToDevice(design);
  if (!bitmap.Handle && bitmap.Pixels && bitmap.Width > 0 && bitmap.Height > 0) {
    BITMAPINFO info = TopDownRgb32Info(bitmap.Width, bitmap.Height);
    SetStretchBltMode(dc_, COLORONCOLOR);
    StretchDIBits(dc_, target.Left, target.Top, target.Width(), target.Height(), 0, 0,
                  bitmap.Width, bitmap.Height, bitmap.Pixels, &info, DIB_RGB_COLORS, SRCCOPY);
    return;
  }
  if (!bitmap.Handle)
    return;
  HDC source = CreateCompatibleDC(dc_);
  HGDIOBJ old = SelectObject(source, static_cast<HBITMAP>(const_cast<void *>(bitmap.Handle)));
  SetStretchBltMode(dc_, COLORONCOLOR);
  StretchBlt(dc_, target.Left, target.Top, target.Width(), target.Height(), source, 0, 0,
             bitmap.Width, bitmap.Height, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

TCanvasRect TGdiCanvas::ClipRect() {
  RECT box{};
  if (GetClipBox(dc_, &box) == ERROR)
    return {};
  return scale_.DesignRectCovering({box.left, box.top, box.right, box.bottom});
}

const void *TGdiCanvas::SelectPalette(const void *palette) {
  HPALETTE chosen = palette ? static_cast<HPALETTE>(const_cast<void *>(palette))
                            : static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  HPALETTE previous = ::SelectPalette(dc_, chosen, FALSE);
  if (!originalPalette_)
    originalPalette_ = previous;
  RealizePalette(dc_);
  return previous;
}
