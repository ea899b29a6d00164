#include "movaro/forms/PromptGraphics.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSamples = 4; // per axis, for smooth edges

// Windows colour 0x00BBGGRR <-> canvas pixel 0x00RRGGBB.
uint32_t PixelOf(uint32_t color) {
  return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

uint32_t Blend(uint32_t under, uint32_t over, double share) {
  auto channel = [&](int shift) {
    double a = (under >> shift) & 0xFF, b = (over >> shift) & 0xFF;
    return static_cast<uint32_t>(std::lround(a + (b - a) * share)) << shift;
  };
  return channel(16) | channel(8) | channel(0);
}

struct TPoint {
  double X, Y;
};

double DistanceToSegment(TPoint p, TPoint a, TPoint b) {
  const double dx = b.X - a.X, dy = b.Y - a.Y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.X - a.X) * dx + (p.Y - a.Y) * dy) / length2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.X - (a.X + t * dx), p.Y - (a.Y + t * dy));
}

// The glyphs on a 32-unit square: whether a point lies on the glyph's strokes.
bool OnGlyph(uint8_t kind, TPoint p) {
  const double stroke = 2.1; // half the stroke width
  auto dot = [&](double x, double y) { return std::hypot(p.X - x, p.Y - y) <= 2.6; };
  auto line = [&](TPoint a, TPoint b) { return DistanceToSegment(p, a, b) <= stroke; };
  switch (kind) {
  case 1: // i
    return dot(16, 9) || line({16, 14.5}, {16, 24});
  case 2: { // ?: an arc over the top from nine o'clock to the lower right, a stem, a dot
    const double r = std::hypot(p.X - 16, p.Y - 12.5);
    const double angle = std::atan2(p.Y - 12.5, p.X - 16); // clockwise from three o'clock
    const bool onArc = std::fabs(r - 5) <= stroke && (angle <= 0.7 || angle >= 2.95);
    return onArc || line({19.8, 15.7}, {16.2, 19.2}) || dot(16, 24.5);
  }
  case 3: // !
    return line({16, 8}, {16, 18.5}) || dot(16, 24);
  case 4: // a tick
    return line({9.5, 16.5}, {14, 21}) || line({14, 21}, {22.5, 11});
  default:
    return false;
  }
}

struct TIconColours {
  uint32_t Disc, Ring, Glyph; // 0x00RRGGBB
};

TIconColours ColoursOf(uint8_t kind, TIconSet set) {
  if (set == TIconSet::is16Colours) {
    switch (kind) {
    case 1: return {0x000080, 0x000080, 0xFFFFFF};
    case 2: return {0x008080, 0x008080, 0xFFFFFF};
    case 3: return {0xFFFF00, 0x808000, 0x000000};
    default: return {0x008000, 0x008000, 0xFFFFFF};
    }
  }
  switch (kind) {
  case 1: return {0x3A7BD5, 0x2C5FA8, 0xFFFFFF};
  case 2: return {0x2E9C8F, 0x237A70, 0xFFFFFF};
  case 3: return {0xF2A93B, 0xC9822A, 0x4A2E08};
  default: return {0x43A556, 0x33803F, 0xFFFFFF};
  }
}

} // namespace

TIconPixels RenderKindIcon(uint8_t kind, int size, TIconSet set) {
  TIconPixels icon;
  if (kind < 1 || kind > 4 || size <= 0)
    return icon;
  icon.Size = size;
  icon.Rgb.assign(static_cast<size_t>(size) * size, 0);
  icon.Alpha.assign(icon.Rgb.size(), 0);
  const TIconColours colours = ColoursOf(kind, set);
  const bool smooth = set == TIconSet::isTrueColour;
  const int samples = smooth ? kSamples : 1;
  const double unit = 32.0 / size; // glyph units per pixel
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      int inDisc = 0, onRing = 0, onGlyph = 0;
      for (int sy = 0; sy < samples; ++sy)
        for (int sx = 0; sx < samples; ++sx) {
          const TPoint p{(x + (sx + 0.5) / samples) * unit, (y + (sy + 0.5) / samples) * unit};
          const double r = std::hypot(p.X - 16, p.Y - 16);
          if (r > 15.5)
            continue;
          ++inDisc;
          if (r > 14.2)
            ++onRing;
          else if (OnGlyph(kind, p))
            ++onGlyph;
        }
      const double all = samples * samples;
      if (inDisc == 0)
        continue;
      uint32_t colour = colours.Disc;
      colour = Blend(colour, colours.Glyph, onGlyph / static_cast<double>(inDisc));
      colour = Blend(colour, colours.Ring, onRing / static_cast<double>(inDisc));
      const size_t at = static_cast<size_t>(y) * size + x;
      icon.Rgb[at] = colour;
      icon.Alpha[at] = static_cast<uint8_t>(std::lround(255 * inDisc / all));
    }
  return icon;
}

std::vector<uint32_t> OverBackground(const TIconPixels &icon, uint32_t backColor) {
  std::vector<uint32_t> pixels(icon.Rgb.size());
  const uint32_t back = PixelOf(backColor);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = Blend(back, icon.Rgb[i], icon.Alpha[i] / 255.0);
  return pixels;
}

std::vector<uint32_t> RenderPie(int size, int position, int maximum, uint32_t foreColor,
                                uint32_t backColor) {
  std::vector<uint32_t> pixels;
  if (size <= 0)
    return pixels;
  const uint32_t fore = PixelOf(foreColor), back = PixelOf(backColor);
  const uint32_t inside = Blend(back, 0xFFFFFF, 0.55); // the part that has run out
  const double share = maximum > 0 ? std::clamp(position / static_cast<double>(maximum), 0.0, 1.0) : 0;
  const double centre = size / 2.0, radius = size / 2.0 - 0.5, ring = 1.4;
  pixels.assign(static_cast<size_t>(size) * size, back);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      int inDisc = 0, filled = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx) {
          const double px = x + (sx + 0.5) / kSamples - centre;
          const double py = y + (sy + 0.5) / kSamples - centre;
          const double r = std::hypot(px, py);
          if (r > radius)
            continue;
          ++inDisc;
          // Clockwise from twelve o'clock, as a share of the full turn.
          double turn = std::atan2(px, -py) / (2 * kPi);
          if (turn < 0)
            turn += 1;
          if (r > radius - ring || turn < share)
            ++filled;
        }
      if (inDisc == 0)
        continue;
      const double all = kSamples * kSamples;
      const uint32_t colour = Blend(inside, fore, filled / static_cast<double>(inDisc));
      pixels[static_cast<size_t>(y) * size + x] = Blend(back, colour, inDisc / all);
    }
  return pixels;
}

void TKindImage::ShowKind(uint8_t kind, TIconSet set) {
  if (kind == kind_ && set == set_ && (kind == 0 || !pixels_.empty()))
    return;
  kind_ = kind;
  set_ = set;
  pixels_.clear();
  Invalidate();
}

void TKindImage::Paint(ICanvas &canvas) {
  const TRect &b = Bounds();
  const int size = std::min(b.Width, b.Height);
  if (kind_ == 0 || size <= 0)
    return;
  if (pixels_.size() != static_cast<size_t>(size) * size)
    pixels_ = OverBackground(RenderKindIcon(kind_, size, set_), BackColor);
  canvas.Draw(b.Left, b.Top, {nullptr, "kind icon " + std::to_string(kind_), size, size, pixels_.data()});
}

void TCountDownPie::SetMaxValue(int maximum) {
  max_ = std::max(0, maximum);
  progress_ = std::clamp(progress_, 0, max_);
  Invalidate();
}

void TCountDownPie::SetProgress(int progress) {
  progress = std::clamp(progress, 0, max_);
  if (progress == progress_)
    return;
  progress_ = progress;
  Invalidate();
}

void TCountDownPie::Paint(ICanvas &canvas) {
  const TRect &b = Bounds();
  const int size = std::min(b.Width, b.Height);
  if (size <= 0)
    return;
  std::vector<uint32_t> pixels = RenderPie(size, progress_, max_, ForeColor, BackColor);
  canvas.Draw(b.Left, b.Top,
              {nullptr, "pie " + std::to_string(progress_) + "/" + std::to_string(max_), size, size,
               pixels.data()});
}
