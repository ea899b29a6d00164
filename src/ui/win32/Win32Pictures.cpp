#include "ui/win32/Win32Pictures.h"

#include "data/image/Dib.h"

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
