#pragma once
// Pictures as the kit's controls hold and draw them: a picture property that
// tells its owner when it changes, and the two drawing operations every
// skinned control uses. A picture is decoded pixels (data/image/), from a
// file or from a bitmap resource of the program (ui/win32/Win32Pictures.h),
// shared by the properties that show it: assigning one property to another
// shares the pixels, which nobody changes once decoded.

#include "data/image/Picture.h"
#include "platform/Canvas.h"
#include "platform/FileSystem.h"

#include <functional>
#include <memory>
#include <string>

class TPictureProperty {
public:
  // changed: the owner's repaint, called whenever a picture is set.
  explicit TPictureProperty(std::function<void()> changed = {}) : changed_(std::move(changed)) {}
  TPictureProperty(const TPictureProperty &) = delete;
  TPictureProperty &operator=(const TPictureProperty &) = delete;

  // No picture, or one with a side of 0 pixels: nothing is drawn.
  bool Empty() const { return !picture_ || picture_->Empty(); }
  // The picture's size in design units (its pixels, for a skin drawn for a
  // larger scale fewer).
  int Width() const { return picture_ ? picture_->DesignWidth() : 0; }
  int Height() const { return picture_ ? picture_->DesignHeight() : 0; }
  const TPicture *Picture() const { return picture_.get(); }
  // What drawing records call the picture (its file or resource name).
  const std::string &Name() const { return name_; }

  void SetPicture(std::shared_ptr<const TPicture> picture, std::string name = {});
  void Clear() { SetPicture(nullptr); }
  // Takes the other property's picture and name.
  void Assign(const TPictureProperty &other) { SetPicture(other.picture_, other.name_); }

  // The picture as a canvas copies it.
  TCanvasBitmap Bitmap() const;

private:
  std::shared_ptr<const TPicture> picture_;
  std::string name_;
  std::function<void()> changed_;
};

// Draws the picture stretched into the rectangle, with a plain opaque copy
// (colour-on-colour stretching). An empty picture draws nothing.
void StretchGraphic(ICanvas &canvas, const TCanvasRect &target, const TPictureProperty &picture);
// Draws the picture in its own size with its top-left corner at (x, y),
// opaque. An empty picture draws nothing.
void DrawGraphicAt(ICanvas &canvas, int x, int y, const TPictureProperty &picture);

// How a backdrop picture is placed: tiled from the origin (column by column,
// top to bottom), centred, not at all, stretched, or once at the origin.
enum TImageDrawStyle { idsAlongside, idsCenter, idsHide, idsStretch, idsTopLeft };

// Where a backdrop goes: the area it covers (surface coordinates), the
// origin of its tiles and of its centring or top-left copy (which may lie
// far off when a control scrolls a huge area), and the rectangle a stretched
// picture fills.
struct TBackdropPlace {
  TCanvasRect Area;
  int64_t OriginX = 0, OriginY = 0;
  TCanvasRect StretchTarget;
};

// Draws a backdrop picture by style. Tiles start at the origin and cover the
// area to its right and bottom edges; only those that meet the canvas's clip
// are drawn, so a huge area costs no more than the visible part. An empty
// picture (a side of 0 pixels too) draws nothing in any style.
void DrawBackdrop(ICanvas &canvas, const TPictureProperty &picture, TImageDrawStyle style,
                  const TBackdropPlace &place);
