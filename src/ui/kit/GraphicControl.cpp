#include "ui/kit/GraphicControl.h"

#include "ui/kit/Palettes.h"

const void *GGraphicControl::Palette() const { return ScreenPalette(); }

void GGraphicControl::MouseIn() {
  if (OnMouseIn)
    OnMouseIn(*this);
}

void GGraphicControl::MouseOut() {
  if (OnMouseOut)
    OnMouseOut(*this);
}
