#pragma once
// The display as drawing code sees it outside a paint: its colour depth, and
// a canvas on a surface like it for measuring text before anything is drawn
// (layout passes that run when a text is set).

#include "platform/Canvas.h"

class IScreen {
public:
  virtual ~IScreen() = default;
  // Bits per pixel of the display (fewer than 8: 16 colours, 8: 256 colours).
  virtual int BitsPerPixel() = 0;
  // Measures with the display's text metrics; what is drawn on it is lost.
  virtual ICanvas &MeasuringCanvas() = 0;
};
