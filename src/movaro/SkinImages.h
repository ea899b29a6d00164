#pragma once
// The skin images of Movaro's windows: named bitmaps of the program's
// resources, each in two variants, plain and with "_256" for displays of
// 256 colours, and drawn again for displays of a larger scale as PNG
// resources "<name>_125", "_150" and "_200", of which the display's nearest
// is shown pixel for pixel. A user (or an administrator) may replace any of
// them with a file "I\<name>.bmp" in the program's folder, shown at its size.

#include "data/image/Dib.h"
#include "platform/FileSystem.h"
#include "ui/kit/Graphics.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

// The program's bitmap resources.
class ISkinResources {
public:
  virtual ~ISkinResources() = default;
  // The bytes of a bitmap resource (a bitmap file without its file header),
  // empty when there is none.
  virtual std::string_view BitmapBytes(const std::string &name) = 0;
  // The bytes of a picture file among the program's data resources, empty
  // when there is none.
  virtual std::string_view PictureBytes(const std::string &) { return {}; }
};

class TApplication;
class TBackground;
class TBaseBtn;
class TWinControl;

class TSkinLoader {
public:
  // programFolder ends with a backslash; bitsPerPixel is the display's, and
  // skinPercent the scale its skins are drawn for (TDisplayScale::SkinPercent).
  TSkinLoader(TFileSystem &files, ISkinResources &resources, std::string programFolder,
              int bitsPerPixel, int skinPercent = 100);

  // The override file of a skin image.
  std::string OverridePath(const std::string &name) const;
  // The resource a skin image comes from on this display.
  std::string ResourceName(const std::string &name) const;
  // The override file when it exists and decodes, otherwise the resource;
  // an empty picture when neither gives one. Loaded once per name.
  std::shared_ptr<const TPicture> LoadSkinImage(const std::string &name);
  // A skin image into a control's picture, named after the skin.
  void LoadInto(TPictureProperty &property, const std::string &name);
  // The three faces of a skinned button: "but_up", "but_down" and
  // "but_disabled", each followed by the suffix ("_info", "_20x74obg", ...).
  // False when the skin has no up face.
  bool LoadButtonFaces(TBaseBtn &button, const std::string &suffix);
  // A button made by MakeRoundFaceButton takes the skin's faces instead of
  // its round face, when the skin has them.
  void ReplaceRoundFace(TBaseBtn &button, const std::string &suffix);

  // Every skin image the loader put into the controls of a form (backdrops,
  // button faces) again, as drawn for another scale (a per cent as
  // TDisplayScale::SkinPercent gives): the form moved to a display of
  // that scale. Pictures the loader did not give stay.
  void Rescale(TWinControl &form, int skinPercent);
  // Rescales each form of the application that moves to a display of
  // another scale, from now until the loader goes (which must be before
  // the application goes).
  void Follow(TApplication &application);
  ~TSkinLoader();

private:
  std::shared_ptr<const TPicture> LoadAt(const std::string &name, int percent);
  // Gives the property its picture again at the percent, when it came from here.
  void Reload(TPictureProperty &property, int percent);
  TFileSystem &files_;
  ISkinResources &resources_;
  std::string programFolder_;
  int bitsPerPixel_;
  int skinPercent_;
  TApplication *followed_ = nullptr;
  // By name in lower case and per cent.
  std::map<std::pair<std::string, int>, std::shared_ptr<const TPicture>> loaded_;
};

// The skinned look of the program's windows.
constexpr uint32_t kFaceShadowColour = 0x00382A4A; // the buttons' plum in shadow
// A backdrop that shows its picture alone: no fill, no frame.
void ShowPictureOnly(TBackground &background, TImageDrawStyle style);
// A button drawn by its skin faces alone, placed at its top-left corner,
// with no face or shadow of its own; a press moves the caption one pixel
// right and down. Call it after the button has its size.
void MakeSkinFaceButton(TBaseBtn &button);
// A small button without pictures: a rounded face on a one-pixel shadow,
// the caption centred. Call it after the button has its size.
void MakeRoundFaceButton(TBaseBtn &button, uint32_t faceColour, uint32_t shadowColour);
