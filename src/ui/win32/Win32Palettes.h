#pragma once
// The kit's shared palettes made from the program's bitmap resources "PAL16"
// (16 colours) and "PAL256" (256 colours): each palette's entries are the
// resource's colour table. The program's entry makes one before its first
// window and keeps it to its end; it installs the palettes for the display
// (ui/kit/Palettes.h) and releases them when it goes. A missing or damaged
// resource leaves that palette absent.

#include "platform/Screen.h"

#include <windows.h>

class TWin32Palettes {
public:
  TWin32Palettes(HINSTANCE module, IScreen &screen);
  ~TWin32Palettes();
  TWin32Palettes(const TWin32Palettes &) = delete;
  TWin32Palettes &operator=(const TWin32Palettes &) = delete;

  HPALETTE Palette16() const { return palette16_; }
  HPALETTE Palette256() const { return palette256_; }

private:
  HPALETTE palette16_, palette256_;
};

// A logical palette with the colour table of a bitmap resource, or none.
HPALETTE CreatePaletteFromBitmapResource(HINSTANCE module, const char *name);
