// BMP through stb_image, apart from the other formats: the bitmap resources
// of every program decode through it.
#define STBI_ONLY_BMP
#include "data/image/StbInstance.inc"

bool ReadStbBmpPicture(std::string_view bytes, TPicture &picture) { return ReadWithStb(bytes, picture); }
