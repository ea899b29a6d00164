#pragma once
// The two logical palettes the kit shares on displays of 256 colours or
// fewer, and the one a paint selects. The program's entry makes them from
// its bitmap resources "PAL16" and "PAL256" before its first window and
// releases them at its end (ui/win32/Win32Palettes.h); until then, and on
// deeper displays, there is none and painting selects nothing.

#include "platform/Canvas.h"
#include "platform/Screen.h"

// Palette handles of the canvas's implementation; none where a resource was
// missing or damaged.
struct TPaletteHandles {
  const void *Palette16 = nullptr;
  const void *Palette256 = nullptr;
};

// Makes the palettes the process's, for the display they serve; a null
// screen removes them.
void InstallScreenPalettes(IScreen *screen, TPaletteHandles palettes);

// The palette for the display: the 16-colour one below 8 bits per pixel,
// the 256-colour one at exactly 8, none above (or when none is installed).
const void *ScreenPalette();

// Selects the screen palette into a canvas for the scope's life (when there
// is one), then gives the canvas its previous palette back.
class TPaletteScope {
public:
  explicit TPaletteScope(ICanvas &canvas);
  ~TPaletteScope();
  TPaletteScope(const TPaletteScope &) = delete;
  TPaletteScope &operator=(const TPaletteScope &) = delete;

private:
  ICanvas &canvas_;
  bool selected_ = false;
  const void *previous_ = nullptr;
};
