// The one door to every decoder, in a file of its own: a program that only
// reads bitmaps (DIBs and their colour tables) links none of the decoders.
#include "data/image/Picture.h"

#include "data/image/PictureReaders.h"

bool DecodePicture(std::string_view bytes, TColorLevel level, TPicture &picture) {
  picture = TPicture{};
  bool read = false;
  switch (DetectPictureFormat(bytes)) {
  case TPictureFormat::pfJpeg:
  case TPictureFormat::pfPng:
  case TPictureFormat::pfGif:
    read = ReadStbPicture(bytes, picture);
    break;
  case TPictureFormat::pfBmp:
    read = ReadStbBmpPicture(bytes, picture);
    break;
  case TPictureFormat::pfPcx:
    read = ReadPcxPicture(bytes, picture);
    break;
  case TPictureFormat::pfTiff:
    read = ReadTiffPicture(bytes, picture);
    break;
  case TPictureFormat::pfUnknown:
    break;
  }
  return FinishDecodedPicture(read, level, picture);
}
