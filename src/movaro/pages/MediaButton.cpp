#include "movaro/pages/MediaButton.h"

namespace {

// A triangle pointing right (or left) as a fan of vertical lines.
void Triangle(ICanvas &canvas, int left, int top, int size, bool right) {
  for (int i = 0; i <= size; ++i) {
    const int x = right ? left + i : left + size - i;
    const int half = (size - i) / 2;
    canvas.Line(x, top + size / 2 - half, x, top + size / 2 + half + 1);
  }
}

} // namespace

void TMediaFaceButton::Paint(ICanvas &canvas) {
  if (!GlyphUp.Empty()) {
    TBaseBtn::Paint(canvas);
    return;
  }
  if (!Visible())
    return;
  const TRect &b = Bounds();
  const TCanvasRect r{b.Left, b.Top, b.Left + b.Width, b.Top + b.Height};
  const bool pressed = Pressed();
  canvas.Pen = {Enabled() ? 0x8A7F76u : 0xC8C2BCu, 1, TPenStyle::psSolid};
  canvas.Brush = {pressed ? 0xE6DED8u : 0xFFFFFFu, TBrushStyle::bsSolid};
  canvas.RoundRect(r, 8, 8);

  const uint32_t ink = Enabled() ? 0x533D6Du : 0xC8C2BCu; // the page titles' colour
  canvas.Pen = {ink, 1, TPenStyle::psSolid};
  canvas.Brush = {ink, TBrushStyle::bsSolid};
  const int size = 14;
  const int left = b.Left + (b.Width - size) / 2, top = b.Top + (b.Height - size) / 2;
  switch (Face) {
  case TMediaButton::mbPlay: Triangle(canvas, left + 2, top, size - 2, true); break;
  case TMediaButton::mbPause:
    canvas.FillRect({left + 2, top, left + 6, top + size});
    canvas.FillRect({left + 9, top, left + 13, top + size});
    break;
  case TMediaButton::mbStop: canvas.FillRect({left + 1, top + 1, left + size - 1, top + size - 1}); break;
  case TMediaButton::mbForward:
    canvas.FillRect({left, top + 1, left + 3, top + size - 1});
    Triangle(canvas, left + 5, top + 1, size - 3, true);
    break;
  case TMediaButton::mbBack:
    Triangle(canvas, left, top + 1, size - 3, false);
    canvas.FillRect({left + size - 3, top + 1, left + size, top + size - 1});
    break;
  }
}
