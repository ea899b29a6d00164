#pragma once
// The skin images among the program's bitmap and data resources.

#include "movaro/SkinImages.h"

#include <windows.h>

class TWin32SkinResources final : public ISkinResources {
public:
  explicit TWin32SkinResources(HINSTANCE module) : module_(module) {}
  std::string_view BitmapBytes(const std::string &name) override { return Bytes(name, RT_BITMAP); }
  std::string_view PictureBytes(const std::string &name) override { return Bytes(name, RT_RCDATA); }

private:
  std::string_view Bytes(const std::string &name, LPSTR type) {
    HRSRC found = FindResourceA(module_, name.c_str(), type);
    HGLOBAL loaded = found ? LoadResource(module_, found) : nullptr;
    const void *bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
      return {};
    return {static_cast<const char *>(bytes), SizeofResource(module_, found)};
  }
  HINSTANCE module_;
};
