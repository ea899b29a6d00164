#pragma once
// A chart of values over a row of slots (the days of a history, say): bars
// and lines measured on a left and a right value axis, the legend above the
// plot and the slots' labels below it. Windowless, painted by its parent
// through the canvas in design units, in the colours it is given (a screen
// of 256 colours shows their nearest in the screen palette).
//
// A value that is no number (kChartGap) is a gap: its slot shows no bar of
// that series, and a line breaks there; a value of 0 still shows, as a bar a
// pixel high. The chart takes the keyboard focus; Left and Right, Home and
// End, or a click select a slot, and the selected slot's description is
// what a screen reader reads as the chart's value. Everything a paint draws
// is prepared when the data is set, so a repaint allocates nothing.

#include "ui/kit/GraphicControl.h"

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

inline constexpr double kChartGap = std::numeric_limits<double>::quiet_NaN();

enum class TChartSeriesKind { skBars, skLine };

struct TChartSeries {
  std::string Name; // its entry in the legend
  TChartSeriesKind Kind = TChartSeriesKind::skBars;
  uint32_t Color = 0;
  bool RightAxis = false; // measured on the right-hand axis
  std::vector<double> Values; // one a slot; kChartGap where there is none
};

struct TChartAxis {
  std::string Title; // above its tick labels
  double Maximum = 1; // the top of the axis: larger values are cut there
  int Divisions = 4;  // tick labels at 0 and each division up to the top
};

struct TChartData {
  // One a slot. Labels are shown under their slots as far as they fit side
  // by side (counted back from the last slot); descriptions are the slots'
  // figures for the user.
  std::vector<std::string> SlotLabels, SlotDescriptions;
  std::vector<TChartSeries> Series;
  TChartAxis Left, Right;
};

class GChart : public GGraphicControl {
public:
  using GGraphicControl::GGraphicControl;
  MOVARO_KIND(ckChart)

  // New data; the selection stays on its slot, within the new slots.
  void SetData(TChartData data);
  const TChartData &Data() const { return data_; }
  int SlotCount() const { return static_cast<int>(data_.SlotLabels.size()); }

  // The selected slot, -1 for none.
  int Selected() const { return selected_; }
  // Kept within the slots (none without slots); raises OnSelect on a change.
  void Select(int slot);
  // The selected slot's description; empty when none is selected.
  std::string SelectedDescription() const;
  TNotifyEvent OnSelect;
  // Left and Right move the selection by a slot (from none: to the last),
  // Home and End to the first and last. True when the key was the chart's.
  bool KeyDown(int key);

  uint32_t PlotColor = 0xFFFFFF, GridColor = 0xD8D8D8, AxisColor = 0x808080,
           SelectionColor = 0xF0E0C8;

  // Where the plot and a slot lie, in the parent's coordinates.
  TRect PlotRect() const;
  TRect SlotRect(int slot) const;
  // The slot under a point in the parent's coordinates, or -1.
  int SlotAt(int x, int y) const;

  void Paint(ICanvas &canvas) override;
  // A press selects the slot under the mouse and takes the focus.
  void MouseDown(TMouseButton button, int x, int y) override;

private:
  int ValueY(double value, const TChartAxis &axis) const;
  void PaintLegend(ICanvas &canvas);
  void PaintAxes(ICanvas &canvas, const TRect &plot);
  void PaintSlotLabels(ICanvas &canvas, const TRect &plot);
  void PaintBars(ICanvas &canvas);
  void PaintLines(ICanvas &canvas);

  TChartData data_;
  // The tick labels of each axis, made with the data.
  std::vector<std::string> leftTicks_, rightTicks_;
  int barSeries_ = 0; // how many series are bars: they share a slot side by side
  int selected_ = -1;
};
