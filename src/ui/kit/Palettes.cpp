#include "ui/kit/Palettes.h"

namespace {
IScreen *g_screen = nullptr;
TPaletteHandles g_palettes;
} // namespace

void InstallScreenPalettes(IScreen *screen, TPaletteHandles palettes) {
  g_screen = screen;
  g_palettes = screen ? palettes : TPaletteHandles{};
}

const void *ScreenPalette() {
  if (!g_screen)
    return nullptr;
  const int bits = g_screen->BitsPerPixel();
  if (bits < 8)
    return g_palettes.Palette16;
  return bits == 8 ? g_palettes.Palette256 : nullptr;
}

TPaletteScope::TPaletteScope(ICanvas &canvas) : canvas_(canvas) {
  if (const void *palette = ScreenPalette()) {
    previous_ = canvas_.SelectPalette(palette);
    selected_ = true;
  }
}

TPaletteScope::~TPaletteScope() {
  if (selected_)
    canvas_.SelectPalette(previous_);
}
