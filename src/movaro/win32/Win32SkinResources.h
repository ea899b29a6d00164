#pragma once
// The skin images among the program's bitmap resources.

#include "movaro/SkinImages.h"

#include <windows.h>

class TWin32SkinResources final : public ISkinResources {
public:
  explicit TWin32SkinResources(HINSTANCE module) : module_(module) {}
  std::string_view BitmapBytes(const std::string &name) override {
    HRSRC found = FindResourceA(module_, name.c_str(), reinterpret_cast<LPCSTR>(RT_BITMAP));
    HGLOBAL loaded = found ? LoadResource(module_, found) : nullptr;
    const void *bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
      return {};
    return {static_cast<const char *>(bytes), SizeofResource(module_, found)};
  }

private:
  HINSTANCE module_;
};
