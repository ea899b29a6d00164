#pragma once
// The pictures of the prompt dialog, drawn from geometry rather than loaded:
// the four message kind icons (information, question, warning, ok) in two
// sets, one for displays of fewer than 16 bits per pixel and one for richer
// ones, at any size (32 in the dialog, 16 in the tray), and the pie of the
// count-down. Both are windowless controls painted through the canvas.

#include "ui/Controls.h"

#include <cstdint>
#include <string>
#include <vector>

// Which icon set: few colours without smoothing, or soft colours smoothed.
enum class TIconSet { is16Colours, isTrueColour };

// Size * Size pixels 0x00RRGGBB, top row first, with their coverage 0..255.
struct TIconPixels {
  int Size = 0;
  std::vector<uint32_t> Rgb;
  std::vector<uint8_t> Alpha;
};
// The icon of message kind 1..4; empty pixels for any other kind.
TIconPixels RenderKindIcon(uint8_t kind, int size, TIconSet set);
// The pixels laid over a background colour (a Windows colour value 0x00BBGGRR).
std::vector<uint32_t> OverBackground(const TIconPixels &icon, uint32_t backColor);

// A disc whose filled sector, clockwise from twelve o'clock, is the share of
// position in maximum; colours are Windows colour values.
std::vector<uint32_t> RenderPie(int size, int position, int maximum, uint32_t foreColor,
                                uint32_t backColor);

// The kind icon of a message (kind 0: nothing).
class TKindImage : public TControl {
public:
  using TControl::TControl;
  MOVARO_KIND(ckImage)
  bool Windowless() const override { return true; }
  void Paint(ICanvas &canvas) override;
  uint8_t ShownKind() const { return kind_; }
  TIconSet Set() const { return set_; }
  void ShowKind(uint8_t kind, TIconSet set);
  uint32_t BackColor = 0xFFFFFF; // what shows around the round icon

private:
  uint8_t kind_ = 0;
  TIconSet set_ = TIconSet::isTrueColour;
  std::vector<uint32_t> pixels_;
};

// The count-down: a pie gauge without text.
class TCountDownPie : public TControl {
public:
  using TControl::TControl;
  MOVARO_KIND(ckGauge)
  bool Windowless() const override { return true; }
  void Paint(ICanvas &canvas) override;
  int MaxValue() const { return max_; }
  int Progress() const { return progress_; }
  void SetMaxValue(int maximum);
  void SetProgress(int progress); // kept within 0..MaxValue
  uint32_t ForeColor = 0, BackColor = 0xFFFFFF;

private:
  int max_ = 100, progress_ = 0;
};
