#pragma once
// A window's backdrop: the settings (TBackground: a picture, how it is
// placed, and the pen and brush of the rectangle drawn over it) and the
// windowless control that paints them under the other controls (TBkControl).
//
// Windows that show a picture give the rectangle a clear brush and a clear
// pen, so the picture stays visible and no frame is drawn; a window without a
// picture uses a coloured brush and pen for a filled, framed area.

#include "ui/kit/GraphicControl.h"
#include "ui/kit/Graphics.h"

#include <functional>

class TBackground {
public:
  // changed: the owner's repaint, called on every change of the settings.
  explicit TBackground(std::function<void()> changed = {});
  TBackground(const TBackground &) = delete;
  TBackground &operator=(const TBackground &) = delete;

  const TCanvasBrush &Brush() const { return brush_; }
  void SetBrush(const TCanvasBrush &brush);
  const TCanvasPen &Pen() const { return pen_; }
  void SetPen(const TCanvasPen &pen);
  // The backdrop picture; setting it repaints the owner.
  TPictureProperty Image;
  TImageDrawStyle ImageDrawStyle() const { return style_; }
  void SetImageDrawStyle(TImageDrawStyle style);
  // Raised when ImageDrawStyle changes.
  std::function<void(TBackground &sender)> OnChange;

  // Copies pen, brush, picture and placement from the other settings.
  void Assign(const TBackground &other);

private:
  void Changed();
  TCanvasBrush brush_{0xFFFFFF, TBrushStyle::bsSolid};
  TCanvasPen pen_{0x000000, 1, TPenStyle::psSolid};
  TImageDrawStyle style_ = idsAlongside;
  std::function<void()> changed_;
  bool assigning_ = false;
};

// Paints its background over its whole area: the picture placed by the
// style from the control's top-left corner, then the rectangle in the
// background's pen and brush. A stretched picture fills all but the last
// column and row, which the rectangle's outline covers.
class TBkControl : public GGraphicControl {
public:
  TBkControl(TComponent *owner, std::string name);

  TBackground &Background() { return background_; }
  const TBackground &Background() const { return background_; }
  // Copies the settings into the control's own.
  void SetBackground(const TBackground &background) { background_.Assign(background); }

  void Paint(ICanvas &canvas) override;

private:
  TBackground background_;
  bool painting_ = false; // a paint is running: a nested one draws nothing
};
