#include "TextWidth.h"

#include "Cp1252.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <vector>

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb/stb_truetype.h>

struct TTextMeasure::Face {
  std::vector<unsigned char> bytes;
  stbtt_fontinfo info{};
  bool valid = false;

  explicit Face(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    valid = !bytes.empty() && stbtt_InitFont(&info, bytes.data(), stbtt_GetFontOffsetForIndex(bytes.data(), 0)) != 0;
  }
};

namespace {

// Code points of a UTF-8 text (the output of Cp1252ToUtf8, so well formed).
std::vector<int> CodePoints(const std::string &utf8) {
  std::vector<int> points;
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    int c = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
      c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    points.push_back(c);
    i += static_cast<size_t>(extra) + 1;
  }
  return points;
}

} // namespace

TTextMeasure::TTextMeasure(const std::string &regularFont, const std::string &boldFont)
    : regular_(std::make_unique<Face>(regularFont)), bold_(std::make_unique<Face>(boldFont)) {}

TTextMeasure::~TTextMeasure() = default;

bool TTextMeasure::Valid() const { return regular_->valid && bold_->valid; }

int TTextMeasure::Width(const std::string &cp1252, int pixels, bool bold) const {
  const Face &face = bold ? *bold_ : *regular_;
  if (!face.valid)
    return 0;
  const float scale = stbtt_ScaleForMappingEmToPixels(&face.info, static_cast<float>(pixels));
  const std::vector<int> points = CodePoints(Cp1252ToUtf8(cp1252));
  // GDI adds whole-pixel advances per character and does not kern.
  int width = 0;
  for (const int point : points) {
    int advance = 0, bearing = 0;
    stbtt_GetCodepointHMetrics(&face.info, point, &advance, &bearing);
    width += static_cast<int>(std::lround(advance * scale));
  }
  return width;
}
