#pragma once
// The readers behind DecodePicture, one per file family. Each fills a picture
// at full colour and returns false for anything it cannot read completely.

#include "data/image/Picture.h"

bool ReadStbPicture(std::string_view bytes, TPicture &picture);    // JPEG, PNG, GIF
bool ReadStbBmpPicture(std::string_view bytes, TPicture &picture); // BMP
bool ReadPcxPicture(std::string_view bytes, TPicture &picture);
bool ReadTiffPicture(std::string_view bytes, TPicture &picture);

// Whether a picture of this size may be decoded at all.
bool PictureSizeAllowed(int64_t width, int64_t height);
// Sizes the picture's pixels for width x height (both allowed) in black.
void AllocatePicture(TPicture &picture, int width, int height);
// Ends a decoding: a picture a reader filled is reduced to the level; one it
// could not fill, or filled with nothing, is left empty. Whether it was kept.
bool FinishDecodedPicture(bool read, TColorLevel level, TPicture &picture);
