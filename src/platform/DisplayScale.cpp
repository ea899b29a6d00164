#include "platform/DisplayScale.h"

#include "base/AnsiText.h"

#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kLowestDpi = 48, kHighestDpi = 960; // 50 % to 1000 %

// value * numerator / denominator, rounded half away from zero (MulDiv).
int MulDivRounded(int value, int numerator, int denominator) {
  const int64_t product = static_cast<int64_t>(value) * numerator;
  const int64_t half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : -((-product + half) / denominator));
}

// value * numerator / denominator, rounded towards -infinity or +infinity.
int MulDivFloor(int value, int numerator, int denominator) {
  const int64_t product = static_cast<int64_t>(value) * numerator;
  const int64_t quotient = product / denominator;
  return static_cast<int>(product % denominator != 0 && product < 0 ? quotient - 1 : quotient);
}
int MulDivCeil(int value, int numerator, int denominator) {
  return -MulDivFloor(-value, numerator, denominator);
}

} // namespace

TDisplayScale::TDisplayScale(int dpi)
    : dpi_(dpi >= kLowestDpi && dpi <= kHighestDpi ? dpi : kDesignDpi) {}

int TDisplayScale::ToDevice(int design) const { return MulDivRounded(design, dpi_, kDesignDpi); }

int TDisplayScale::ToDesign(int device) const { return MulDivRounded(device, kDesignDpi, dpi_); }

int TDisplayScale::DesignLengthCovering(int device) const {
  return MulDivCeil(device, kDesignDpi, dpi_);
}

TCanvasRect TDisplayScale::ToDevice(const TCanvasRect &r) const {
  return {ToDevice(r.Left), ToDevice(r.Top), ToDevice(r.Right), ToDevice(r.Bottom)};
}

TCanvasRect TDisplayScale::DesignRectCovering(const TCanvasRect &r) const {
  return {MulDivFloor(r.Left, kDesignDpi, dpi_), MulDivFloor(r.Top, kDesignDpi, dpi_),
          MulDivCeil(r.Right, kDesignDpi, dpi_), MulDivCeil(r.Bottom, kDesignDpi, dpi_)};
}

int TDisplayScale::FontHeight(int points) const { return -MulDivRounded(points, dpi_, 72); }

int TDisplayScale::SkinPercent() const {
  static constexpr int kPercents[] = {100, 125, 150, 200};
  // Compared in 96ths of a per cent, so no rounding decides a tie.
  const int wanted = dpi_ * 100;
  int best = kPercents[0];
  for (int percent : kPercents)
    if (std::abs(percent * kDesignDpi - wanted) <= std::abs(best * kDesignDpi - wanted))
      best = percent;
  return best;
}

std::string TDisplayScale::FontFace(const std::string &face) const {
  return !IsDesign() && SameText(face, "MS Sans Serif") ? "MS Shell Dlg 2" : face;
}
