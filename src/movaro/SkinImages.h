#pragma once
// The skin images of Movaro's windows: named bitmaps of the program's
// resources, each in two variants, plain and with "_256" for displays of
// 256 colours. A user (or an administrator) may replace any of them with a
// file "I\<name>.bmp" in the program's folder.

#include "data/image/Picture.h"
#include "platform/FileSystem.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

// The program's bitmap resources.
class ISkinResources {
public:
  virtual ~ISkinResources() = default;
  // The bytes of a bitmap resource (a bitmap file without its file header),
  // empty when there is none.
  virtual std::string_view BitmapBytes(const std::string &name) = 0;
};

// Decodes the bytes of a bitmap resource. False, with the picture empty, for
// anything that is not a whole bitmap.
bool DecodeBitmapResource(std::string_view bytes, TColorLevel level, TPicture &picture);

class TSkinLoader {
public:
  // programFolder ends with a backslash; bitsPerPixel is the display's.
  TSkinLoader(TFileSystem &files, ISkinResources &resources, std::string programFolder,
              int bitsPerPixel);

  // The override file of a skin image.
  std::string OverridePath(const std::string &name) const;
  // The resource a skin image comes from on this display.
  std::string ResourceName(const std::string &name) const;
  // The override file when it exists and decodes, otherwise the resource;
  // an empty picture when neither gives one. Loaded once per name.
  std::shared_ptr<const TPicture> LoadSkinImage(const std::string &name);

private:
  TFileSystem &files_;
  ISkinResources &resources_;
  std::string programFolder_;
  int bitsPerPixel_;
  std::map<std::string, std::shared_ptr<const TPicture>> loaded_;
};
