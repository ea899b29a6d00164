#include "ui/win32/Win32Pictures.h"

#include "data/image/Dib.h"
#include "platform/win32/Win32Dib.h"

#include <cstring>

#include <memory>

std::string_view BitmapResourceBytes(HINSTANCE module, const char *name) {
  HRSRC found = FindResourceA(module, name, RT_BITMAP);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void *bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes)
    return {};
  return {static_cast<const char *>(bytes), SizeofResource(module, found)};
}

bool LoadBitmapResource(HINSTANCE module, const std::string &name, TColorLevel level,
                        TPictureProperty &picture) {
  auto decoded = std::make_shared<TPicture>();
  if (!DecodeDib(BitmapResourceBytes(module, name.c_str()), level, *decoded)) {
    picture.Clear();
    return false;
  }
  picture.SetPicture(std::move(decoded), name);
  return true;
}

TCanvasBitmap LoadScaledPicture(HINSTANCE module, const std::string &name, int percent,
                                TColorLevel level) {
  if (percent == 100 || name.empty())
    return {};
  const std::string scaled = name + "_" + std::to_string(percent);
  HRSRC found = FindResourceA(module, scaled.c_str(), RT_RCDATA);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void *bytes = loaded ? LockResource(loaded) : nullptr;
  TPicture picture;
  if (!bytes || !DecodePicture({static_cast<const char *>(bytes), SizeofResource(module, found)},
                               level, picture))
    return {};
  BITMAPINFO info = TopDownRgb32Info(picture.Width, picture.Height);
  void *bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) {
    if (bitmap)
      DeleteObject(bitmap);
    return {};
  }
  std::memcpy(bits, picture.Pixels.data(), picture.Pixels.size() * sizeof(uint32_t));
  return TCanvasBitmap{bitmap, name, picture.Width, picture.Height, nullptr, percent};
}
