#include "movaro/win32/KindTrayIcons.h"

#include "movaro/MainFormWiring.h"
#include "movaro/forms/PromptGraphics.h"
#include "platform/win32/Win32Dib.h"

#include <cstdint>
#include <vector>

namespace {

// An icon with an alpha channel from the rendered pixels and their coverage.
HICON MakeIcon(const TIconPixels &pixels) {
  const int size = pixels.Size;
  if (size <= 0)
    return nullptr;
  BITMAPINFO info = TopDownRgb32Info(size, size);
  void *bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!colour)
    return nullptr;
  auto *out = static_cast<uint32_t *>(bits);
  for (int i = 0; i < size * size; ++i)
    out[i] = (uint32_t(pixels.Alpha[i]) << 24) | (pixels.Rgb[i] & 0xFFFFFF);
  // The mask is ignored where the colour bitmap carries alpha; all clear.
  std::vector<uint8_t> maskBits(size_t((size + 15) / 16 * 2) * size, 0);
  HBITMAP mask = CreateBitmap(size, size, 1, 1, maskBits.data());
  ICONINFO icon{};
  icon.fIcon = TRUE;
  icon.hbmColor = colour;
  icon.hbmMask = mask;
  HICON made = mask ? CreateIconIndirect(&icon) : nullptr;
  DeleteObject(colour);
  if (mask)
    DeleteObject(mask);
  return made;
}

} // namespace

void AddKindTrayIcons(TWin32NotificationIcon &tray, int bitsPerPixel) {
  const int size = GetSystemMetrics(SM_CXSMICON) > 0 ? GetSystemMetrics(SM_CXSMICON) : 16;
  const TIconSet set = bitsPerPixel < 16 ? TIconSet::is16Colours : TIconSet::isTrueColour;
  for (uint8_t kind = 1; kind <= 4; ++kind)
    tray.AddIcon(KindIconName(kind), MakeIcon(RenderKindIcon(kind, size, set)));
}
