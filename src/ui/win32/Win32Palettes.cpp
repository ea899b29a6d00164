#include "ui/win32/Win32Palettes.h"

#include "data/image/Dib.h"
#include "ui/kit/Palettes.h"
#include "ui/win32/Win32Pictures.h"

#include <vector>

HPALETTE CreatePaletteFromBitmapResource(HINSTANCE module, const char *name) {
  std::vector<uint32_t> colors;
  if (!ReadDibColorTable(BitmapResourceBytes(module, name), colors))
    return nullptr;
  // LOGPALETTE ends in a one-entry array; the others follow it in memory.
  std::vector<char> memory(sizeof(LOGPALETTE) + colors.size() * sizeof(PALETTEENTRY));
  auto *palette = reinterpret_cast<LOGPALETTE *>(memory.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(colors.size());
  for (size_t i = 0; i < colors.size(); ++i)
    palette->palPalEntry[i] = PALETTEENTRY{static_cast<BYTE>(colors[i] >> 16),
                                           static_cast<BYTE>(colors[i] >> 8),
                                           static_cast<BYTE>(colors[i]), 0};
  return CreatePalette(palette);
}

TWin32Palettes::TWin32Palettes(HINSTANCE module, IScreen &screen)
    : palette16_(CreatePaletteFromBitmapResource(module, "PAL16")),
      palette256_(CreatePaletteFromBitmapResource(module, "PAL256")) {
  InstallScreenPalettes(&screen, {palette16_, palette256_});
}

TWin32Palettes::~TWin32Palettes() {
  InstallScreenPalettes(nullptr, {});
  if (palette16_)
    DeleteObject(palette16_);
  if (palette256_)
    DeleteObject(palette256_);
}
