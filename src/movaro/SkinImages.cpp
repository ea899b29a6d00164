#include "movaro/SkinImages.h"

#include "base/AnsiText.h"
#include "ui/kit/Background.h"
#include "ui/kit/SkinnedButton.h"

TSkinLoader::TSkinLoader(TFileSystem &files, ISkinResources &resources, std::string programFolder,
                         int bitsPerPixel, int skinPercent)
    : files_(files), resources_(resources), programFolder_(std::move(programFolder)),
      bitsPerPixel_(bitsPerPixel), skinPercent_(skinPercent) {}

std::string TSkinLoader::OverridePath(const std::string &name) const {
  return programFolder_ + "I\\" + name + ".bmp";
}

std::string TSkinLoader::ResourceName(const std::string &name) const {
  return bitsPerPixel_ == 8 ? name + "_256" : name;
}

std::shared_ptr<const TPicture> TSkinLoader::LoadSkinImage(const std::string &name) {
  const std::string key = AnsiLowerCase(name); // resource names ignore letter case
  auto found = loaded_.find(key);
  if (found != loaded_.end())
    return found->second;
  auto picture = std::make_shared<TPicture>();
  const TColorLevel level = ColorLevelForDepth(bitsPerPixel_);
  std::string bytes;
  const std::string path = OverridePath(name);
  if (!(files_.FileExists(path) && ReadWholeFile(files_, path, bytes) &&
        DecodePicture(bytes, level, *picture))) {
    std::string_view scaled;
    if (skinPercent_ != 100)
      scaled = resources_.PictureBytes(name + "_" + std::to_string(skinPercent_));
    if (!scaled.empty() && DecodePicture(scaled, level, *picture))
      picture->Percent = skinPercent_;
    else
      DecodeDib(resources_.BitmapBytes(ResourceName(name)), level, *picture);
  }
  loaded_[key] = picture;
  return picture;
}

void TSkinLoader::LoadInto(TPictureProperty &property, const std::string &name) {
  property.SetPicture(LoadSkinImage(name), name);
}

bool TSkinLoader::LoadButtonFaces(TBaseBtn &button, const std::string &suffix) {
  LoadInto(button.GlyphUp, "but_up" + suffix);
  LoadInto(button.GlyphDown, "but_down" + suffix);
  LoadInto(button.GlyphDisabled, "but_disabled" + suffix);
  return !button.GlyphUp.Empty();
}

void TSkinLoader::ReplaceRoundFace(TBaseBtn &button, const std::string &suffix) {
  if (LoadButtonFaces(button, suffix))
    button.FaceVisible = false; // the pictures carry face and shadow
}

void ShowPictureOnly(TBackground &background, TImageDrawStyle style) {
  background.SetBrush({0, TBrushStyle::bsClear});
  background.SetPen({0, 1, TPenStyle::psClear});
  background.SetImageDrawStyle(style);
}

namespace {

// One pixel as a fraction of a side (a side of 0 pixels moves nothing).
double OnePixel(int side) { return side > 0 ? 1.0 / side : 0; }

} // namespace

void MakeSkinFaceButton(TBaseBtn &button) {
  button.FaceVisible = false;
  button.ShadowXOffset = OnePixel(button.Bounds().Width);
  button.ShadowYOffset = OnePixel(button.Bounds().Height);
}

void MakeRoundFaceButton(TBaseBtn &button, uint32_t faceColour, uint32_t shadowColour) {
  const int width = button.Bounds().Width, height = button.Bounds().Height;
  button.Brush = {faceColour, TBrushStyle::bsSolid};
  button.Pen = {faceColour, 1, TPenStyle::psSolid};
  button.ShadowColor = shadowColour;
  button.FaceWidth = 1 - OnePixel(width);
  button.FaceHeight = 1 - OnePixel(height);
  button.ShadowXOffset = OnePixel(width);
  button.ShadowYOffset = OnePixel(height);
  button.CaptionXRound = button.CaptionYRound = 5;
  button.CaptionCentered = true;
}
