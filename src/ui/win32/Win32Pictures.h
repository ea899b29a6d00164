#pragma once
// Pictures from the program's bitmap resources (skins, glyphs), read as
// outside bytes: a missing, damaged or oversized resource leaves the picture
// empty.

#include "ui/kit/Graphics.h"

#include <windows.h>

#include <string>
#include <string_view>

// The bytes of a bitmap resource (a bitmap file without its file header),
// empty when there is none. They stay valid while the module is loaded.
std::string_view BitmapResourceBytes(HINSTANCE module, const char *name);

// A picture of the program drawn again for a display of a larger scale: the
// data resource "<name>_<percent>" (a PNG), percent the display's
// TDisplayScale::SkinPercent, as a 32-bit bitmap of its pixels with its
// percent, so it is drawn at its design size pixel for pixel. None (no
// handle) at 100 % or when there is no such resource or it does not decode;
// the caller frees the handle.
TCanvasBitmap LoadScaledPicture(HINSTANCE module, const std::string &name, int percent,
                                TColorLevel level);

// Decodes a bitmap resource into a picture property, named after the
// resource. False, with the property empty, when that fails.
bool LoadBitmapResource(HINSTANCE module, const std::string &name, TColorLevel level,
                        TPictureProperty &picture);
