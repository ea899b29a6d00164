#pragma once
// A display's scale. Every form, control, font and picture is laid out in
// design units, the pixels of a display at 96 per inch; a backend turns them
// into the device pixels of the display a window is on (positions, sizes,
// font heights) and the device pixels of the mouse back into design units.
// Rounding is MulDiv's (half away from zero), edge by edge, so rectangles
// that touch in design units still touch on the device.

#include "platform/Canvas.h"

#include <string>

class TDisplayScale {
public:
  static constexpr int kDesignDpi = 96;
  // The scale of a display of dpi pixels per inch; a value no display has
  // (none, zero, negative or absurd, as a damaged setting gives) counts as
  // the design scale.
  explicit TDisplayScale(int dpi = kDesignDpi);

  int Dpi() const { return dpi_; }
  bool IsDesign() const { return dpi_ == kDesignDpi; }

  int ToDevice(int design) const;
  int ToDesign(int device) const;
  // The design length that, turned to device pixels, is at least a device
  // length: what a text measured on the device needs so it is never cut.
  int DesignLengthCovering(int device) const;
  TCanvasRect ToDevice(const TCanvasRect &design) const;
  // The smallest design rectangle holding a device one (a clip box).
  TCanvasRect DesignRectCovering(const TCanvasRect &device) const;
  // The character height in device pixels of a font of `points` points
  // (negative, as fonts are asked for by character height).
  int FontHeight(int points) const;
  // The scale of the skin pictures drawn for this display, in per cent: the
  // nearest of those the skins are drawn at (100, 125, 150, 200), the larger
  // one at a tie, so a picture is shrunk rather than blown up.
  int SkinPercent() const;
  // The face a font of this name is made in on this display. The bitmap
  // face "MS Sans Serif" has sizes drawn for 96 per inch only, so its text
  // would not grow with the scale: away from the design scale the outline
  // face "MS Shell Dlg 2" (which the system maps to Tahoma) stands in.
  std::string FontFace(const std::string &face) const;

  friend bool operator==(const TDisplayScale &, const TDisplayScale &) = default;

private:
  int dpi_;
};
