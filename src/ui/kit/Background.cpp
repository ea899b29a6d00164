#include "ui/kit/Background.h"

#include "ui/kit/Palettes.h"

#include <optional>

TBackground::TBackground(std::function<void()> changed)
    : Image([this] { Changed(); }), changed_(std::move(changed)) {}

void TBackground::Changed() {
  if (!assigning_ && changed_)
    changed_();
}

void TBackground::SetBrush(const TCanvasBrush &brush) {
  brush_ = brush;
  Changed();
}

void TBackground::SetPen(const TCanvasPen &pen) {
  pen_ = pen;
  Changed();
}

void TBackground::SetImageDrawStyle(TImageDrawStyle style) {
  if (style == style_)
    return;
  style_ = style;
  Changed();
  if (OnChange)
    OnChange(*this);
}

void TBackground::Assign(const TBackground &other) {
  if (&other == this)
    return;
  assigning_ = true; // one repaint for the whole copy
  pen_ = other.pen_;
  brush_ = other.brush_;
  Image.Assign(other.Image);
  const bool styleChanged = style_ != other.style_;
  style_ = other.style_;
  assigning_ = false;
  Changed();
  if (styleChanged && OnChange)
    OnChange(*this);
}

TBkControl::TBkControl(TComponent *owner, std::string name)
    : GGraphicControl(owner, std::move(name)), background_([this] { Invalidate(); }) {
  SetBounds(0, 0, 100, 100);
}

void TBkControl::Paint(ICanvas &canvas) {
  if (!Visible() || painting_)
    return;
  painting_ = true;
  const TCanvasRect area = CanvasRectOf(Bounds());
  std::optional<TPaletteScope> palette; // only a picture needs it
  if (!background_.Image.Empty()) {
    palette.emplace(canvas);
    // The stretched picture ends one pixel short of the right and bottom edges.
    const TCanvasRect stretch{area.Left, area.Top, area.Right - 1, area.Bottom - 1};
    DrawBackdrop(canvas, background_.Image, background_.ImageDrawStyle(),
                 {area, area.Left, area.Top, stretch});
  }
  canvas.Pen = background_.Pen();
  canvas.Brush = background_.Brush();
  canvas.Rectangle(area);
  palette.reset();
  painting_ = false;
}
