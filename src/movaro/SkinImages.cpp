#include "movaro/SkinImages.h"

#include "base/AnsiText.h"
#include "platform/DisplayScale.h"
#include "ui/Forms.h"
#include "ui/kit/Background.h"
#include "ui/kit/SkinnedButton.h"

#include <algorithm>

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
  return LoadAt(name, skinPercent_);
}

std::shared_ptr<const TPicture> TSkinLoader::LoadAt(const std::string &name, int percent) {
  const auto key = std::make_pair(AnsiLowerCase(name), percent); // resource names ignore letter case
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
    if (percent != 100)
      scaled = resources_.PictureBytes(name + "_" + std::to_string(percent));
    if (!scaled.empty() && DecodePicture(scaled, level, *picture))
      picture->Percent = percent;
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

void TSkinLoader::Reload(TPictureProperty &property, int percent) {
  if (!property.Picture() || property.Name().empty())
    return;
  const bool ours = std::any_of(loaded_.begin(), loaded_.end(), [&property](const auto &entry) {
    return entry.second.get() == property.Picture();
  });
  if (ours)
    property.SetPicture(LoadAt(property.Name(), percent), property.Name());
}

void TSkinLoader::Rescale(TWinControl &form, int skinPercent) {
  for (TControl *control : form.Controls()) {
    if (auto *button = dynamic_cast<TBaseBtn *>(control))
      for (TPictureProperty *face : {&button->GlyphUp, &button->GlyphDown, &button->GlyphDisabled})
        Reload(*face, skinPercent);
    else if (auto *backdrop = dynamic_cast<TBkControl *>(control))
      Reload(backdrop->Background().Image, skinPercent);
    if (auto *inner = dynamic_cast<TWinControl *>(control))
      Rescale(*inner, skinPercent);
  }
}

void TSkinLoader::Follow(TApplication &application) {
  followed_ = &application;
  application.OnFormScaleChanged = [this](TForm &form, int dpi) {
    Rescale(form, TDisplayScale(dpi).SkinPercent());
  };
}

TSkinLoader::~TSkinLoader() {
  if (followed_)
    followed_->OnFormScaleChanged = nullptr;
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
