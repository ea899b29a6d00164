#include "ui/kit/Graphics.h"

#include <algorithm>

namespace {

// Backdrop positions stay within +-2^30, so sums of two still fit.
constexpr int64_t kCoordLimit = int64_t{1} << 30;

int Coord(int64_t value) { return static_cast<int>(std::clamp(value, -kCoordLimit, kCoordLimit)); }

} // namespace

void TPictureProperty::SetPicture(std::shared_ptr<const TPicture> picture, std::string name) {
  picture_ = std::move(picture);
  name_ = std::move(name);
  if (changed_)
    changed_();
}

TCanvasBitmap TPictureProperty::Bitmap() const {
  if (Empty())
    return TCanvasBitmap{nullptr, name_, 0, 0, nullptr};
  return TCanvasBitmap{nullptr, name_, picture_->Width, picture_->Height, picture_->Pixels.data(),
                       picture_->Percent};
}

void StretchGraphic(ICanvas &canvas, const TCanvasRect &target, const TPictureProperty &picture) {
  if (!picture.Empty())
    canvas.StretchDraw(target, picture.Bitmap());
}

void DrawGraphicAt(ICanvas &canvas, int x, int y, const TPictureProperty &picture) {
  if (!picture.Empty())
    canvas.Draw(x, y, picture.Bitmap());
}

void DrawBackdrop(ICanvas &canvas, const TPictureProperty &picture, TImageDrawStyle style,
                  const TBackdropPlace &place) {
  if (picture.Empty())
    return;
  const int64_t pw = picture.Width(), ph = picture.Height();
  const int64_t ox = place.OriginX, oy = place.OriginY;
  const TCanvasRect &area = place.Area;
  switch (style) {
  case idsAlongside: {
    const TCanvasRect clip = canvas.ClipRect();
    const int64_t toX = std::min(area.Right, clip.Right), toY = std::min(area.Bottom, clip.Bottom);
    // The first column and row that reach into the clip; none left of or
    // above the origin.
    const int64_t fromX = std::max<int64_t>(ox, std::min(clip.Left, area.Right));
    const int64_t fromY = std::max<int64_t>(oy, std::min(clip.Top, area.Bottom));
    const int64_t firstX = ox + (fromX - ox) / pw * pw, firstY = oy + (fromY - oy) / ph * ph;
    for (int64_t x = firstX; x < toX; x += pw)
      for (int64_t y = firstY; y < toY; y += ph)
        DrawGraphicAt(canvas, Coord(x), Coord(y), picture);
    break;
  }
  case idsCenter:
    DrawGraphicAt(canvas, Coord(ox + (int64_t{area.Width()} - pw) / 2),
                  Coord(oy + (int64_t{area.Height()} - ph) / 2), picture);
    break;
  case idsStretch:
    StretchGraphic(canvas, place.StretchTarget, picture);
    break;
  case idsTopLeft:
    DrawGraphicAt(canvas, Coord(ox), Coord(oy), picture);
    break;
  case idsHide:
    break;
  }
}
