// Any bytes as a picture file, decoded at the full and the lowest colour
// level. Checks that a decoded picture has the size its pixels say and stays
// within the decoder's limits.
#include "data/image/Picture.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char *>(data), size);
  for (TColorLevel level : {TColorLevel::clFull, TColorLevel::clLowest}) {
    TPicture picture;
    bool decoded = DecodePicture(bytes, level, picture);
    if (decoded != !picture.Empty())
      std::abort();
    if (decoded && (picture.Pixels.size() != static_cast<size_t>(picture.Width) * picture.Height ||
                    picture.Width > kMaxPictureSide || picture.Height > kMaxPictureSide))
      std::abort();
  }
  return 0;
}
