#include "ui/kit/Chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The rows and columns around the plot, in design units: the legend, the
// axis titles, the tick labels on each side and the slot labels below.
constexpr int kLegendHeight = 16;
constexpr int kTitleHeight = 18;
constexpr int kTitleGap = 4;      // between an axis title and the plot's top
constexpr int kTickWidth = 34;
constexpr int kSlotLabelHeight = 16;
constexpr int kSwatch = 10;       // a legend entry's colour square or line
constexpr int kLegendGap = 14;    // between legend entries
constexpr int kLabelSpacing = 6;  // at least between two slot labels
constexpr int kLineWidth = 2;

bool IsGap(double value) { return std::isnan(value); }

double ValueAt(const TChartSeries &series, int slot) {
  return slot < static_cast<int>(series.Values.size()) ? series.Values[slot] : kChartGap;
}

std::vector<std::string> TickLabels(const TChartAxis &axis) {
  std::vector<std::string> labels;
  for (int i = 0; i <= axis.Divisions; ++i) {
    const double value = axis.Maximum * i / axis.Divisions;
    char text[32];
    std::snprintf(text, sizeof text, value == std::floor(value) ? "%.0f" : "%.1f", value);
    labels.emplace_back(text);
  }
  return labels;
}

TChartAxis Sane(TChartAxis axis) {
  if (!(axis.Maximum > 0) || !std::isfinite(axis.Maximum))
    axis.Maximum = 1;
  axis.Divisions = std::clamp(axis.Divisions, 1, 20);
  return axis;
}

TCanvasRect CanvasOf(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }

} // namespace

void GChart::SetData(TChartData data) {
  data_ = std::move(data);
  data_.SlotDescriptions.resize(data_.SlotLabels.size());
  data_.Left = Sane(data_.Left);
  data_.Right = Sane(data_.Right);
  leftTicks_ = TickLabels(data_.Left);
  rightTicks_ = TickLabels(data_.Right);
  barSeries_ = static_cast<int>(std::count_if(data_.Series.begin(), data_.Series.end(),
                                              [](const TChartSeries &s) {
                                                return s.Kind == TChartSeriesKind::skBars;
                                              }));
  if (selected_ >= SlotCount())
    selected_ = SlotCount() - 1;
  Invalidate();
}

void GChart::Select(int slot) {
  const int wanted = SlotCount() == 0 ? -1 : std::clamp(slot, 0, SlotCount() - 1);
  if (wanted == selected_)
    return;
  selected_ = wanted;
  Invalidate();
  if (OnSelect)
    OnSelect(*this);
}

std::string GChart::SelectedDescription() const {
  return selected_ >= 0 ? data_.SlotDescriptions[selected_] : std::string();
}

bool GChart::KeyDown(int key) {
  if (SlotCount() == 0)
    return false;
  switch (key) {
  case kKeyLeft:
    Select(selected_ < 0 ? SlotCount() - 1 : selected_ - 1);
    return true;
  case kKeyRight:
    Select(selected_ < 0 ? SlotCount() - 1 : selected_ + 1);
    return true;
  case kKeyHome:
    Select(0);
    return true;
  case kKeyEnd:
    Select(SlotCount() - 1);
    return true;
  default:
    return false;
  }
}

TRect GChart::PlotRect() const {
  const TRect &b = Bounds();
  const int top = kLegendHeight + kTitleHeight;
  return {b.Left + kTickWidth, b.Top + top, std::max(0, b.Width - 2 * kTickWidth),
          std::max(0, b.Height - top - kSlotLabelHeight)};
}

TRect GChart::SlotRect(int slot) const {
  const TRect plot = PlotRect();
  const int n = std::max(1, SlotCount());
  const int left = plot.Left + slot * plot.Width / n;
  const int right = plot.Left + (slot + 1) * plot.Width / n;
  return {left, plot.Top, right - left, plot.Height};
}

int GChart::SlotAt(int x, int y) const {
  const TRect plot = PlotRect();
  if (SlotCount() == 0 || plot.Width == 0 || !plot.Contains(x, y))
    return -1;
  return std::min(SlotCount() - 1, (x - plot.Left) * SlotCount() / plot.Width);
}

void GChart::MouseDown(TMouseButton button, int x, int y) {
  GGraphicControl::MouseDown(button, x, y);
  SetFocus();
  if (const int slot = SlotAt(x + Bounds().Left, y + Bounds().Top); slot >= 0)
    Select(slot);
}

int GChart::ValueY(double value, const TChartAxis &axis) const {
  const TRect plot = PlotRect();
  const double share = std::clamp(value / axis.Maximum, 0.0, 1.0);
  return plot.Top + plot.Height - static_cast<int>(std::lround(share * plot.Height));
}

void GChart::Paint(ICanvas &canvas) {
  const TRect plot = PlotRect();
  if (plot.Width <= 0 || plot.Height <= 0)
    return;
  canvas.Font = CanvasFontOf(Font());
  canvas.Pen = TCanvasPen{};
  canvas.Brush = TCanvasBrush{PlotColor, TBrushStyle::bsSolid};
  canvas.FillRect(CanvasRectOf(plot));
  if (selected_ >= 0) {
    canvas.Brush.Color = SelectionColor;
    canvas.FillRect(CanvasRectOf(SlotRect(selected_)));
  }
  // The grid at the left axis's divisions.
  canvas.Pen = TCanvasPen{GridColor, 1, TPenStyle::psSolid};
  for (int i = 1; i <= data_.Left.Divisions; ++i) {
    const int y = ValueY(data_.Left.Maximum * i / data_.Left.Divisions, data_.Left);
    canvas.Line(plot.Left, y, plot.Left + plot.Width, y);
  }
  PaintBars(canvas);
  PaintLines(canvas);
  PaintAxes(canvas, plot);
  PaintSlotLabels(canvas, plot);
  PaintLegend(canvas);
}

void GChart::PaintBars(ICanvas &canvas) {
  if (barSeries_ == 0)
    return;
  const int bottom = PlotRect().Top + PlotRect().Height;
  for (int slot = 0; slot < SlotCount(); ++slot) {
    const TRect r = SlotRect(slot);
    // A pixel between the slots while they are wide enough to spare it.
    const int inset = r.Width >= 6 ? 1 : 0;
    const int width = std::max(1, (r.Width - 2 * inset) / barSeries_);
    int k = 0;
    for (const TChartSeries &series : data_.Series) {
      if (series.Kind != TChartSeriesKind::skBars)
        continue;
      const double value = ValueAt(series, slot);
      const int left = r.Left + inset + k++ * width;
      if (IsGap(value))
        continue;
      const int top = std::min(bottom - 1, ValueY(value, series.RightAxis ? data_.Right : data_.Left));
      canvas.Brush.Color = series.Color;
      canvas.FillRect(CanvasOf(left, top, left + width, bottom));
    }
  }
}

void GChart::PaintLines(ICanvas &canvas) {
  for (const TChartSeries &series : data_.Series) {
    if (series.Kind != TChartSeriesKind::skLine)
      continue;
    const TChartAxis &axis = series.RightAxis ? data_.Right : data_.Left;
    canvas.Pen = TCanvasPen{series.Color, kLineWidth, TPenStyle::psSolid};
    canvas.Brush.Color = series.Color;
    int lastX = 0, lastY = 0;
    bool joined = false; // the slot before had a value
    for (int slot = 0; slot < SlotCount(); ++slot) {
      const double value = ValueAt(series, slot);
      if (IsGap(value)) {
        joined = false;
        continue;
      }
      const TRect r = SlotRect(slot);
      const int x = r.Left + r.Width / 2, y = ValueY(value, axis);
      if (joined)
        canvas.Line(lastX, lastY, x, y);
      // A dot at each day, so a day between two gaps shows too.
      canvas.FillRect(CanvasOf(x - 1, y - 1, x + 2, y + 2));
      lastX = x, lastY = y, joined = true;
    }
  }
}

void GChart::PaintAxes(ICanvas &canvas, const TRect &plot) {
  const int right = plot.Left + plot.Width, bottom = plot.Top + plot.Height;
  canvas.Pen = TCanvasPen{AxisColor, 1, TPenStyle::psSolid};
  canvas.Line(plot.Left, plot.Top, plot.Left, bottom);
  canvas.Line(right, plot.Top, right, bottom);
  canvas.Line(plot.Left, bottom, right, bottom);
  canvas.Brush.Style = TBrushStyle::bsClear;
  const int half = canvas.TextHeight("0") / 2;
  // Before any data there are no tick labels.
  for (size_t i = 0; i < leftTicks_.size(); ++i) {
    const std::string &text = leftTicks_[i];
    const int y = ValueY(data_.Left.Maximum * i / data_.Left.Divisions, data_.Left) - half;
    canvas.TextAt(plot.Left - 3 - canvas.TextWidth(text), y, text);
  }
  for (size_t i = 0; i < rightTicks_.size(); ++i) {
    const int y = ValueY(data_.Right.Maximum * i / data_.Right.Divisions, data_.Right) - half;
    canvas.TextAt(right + 4, y, rightTicks_[i]);
  }
  // The titles stand on the plot's top a gap above it, clear of the legend.
  const TRect &b = Bounds();
  const int titleTop =
      std::max(b.Top + kLegendHeight, plot.Top - kTitleGap - canvas.TextHeight("Mg"));
  canvas.TextAt(b.Left, titleTop, data_.Left.Title);
  canvas.TextAt(b.Left + b.Width - canvas.TextWidth(data_.Right.Title), titleTop, data_.Right.Title);
  canvas.Brush.Style = TBrushStyle::bsSolid;
}

void GChart::PaintSlotLabels(ICanvas &canvas, const TRect &plot) {
  const int n = SlotCount();
  int widest = 0;
  for (const std::string &label : data_.SlotLabels)
    widest = std::max(widest, canvas.TextWidth(label));
  // Every stride-th label, counted back from the last slot, so none touch.
  int stride = 1;
  while (stride < n && stride * plot.Width / n < widest + kLabelSpacing)
    ++stride;
  const TRect &b = Bounds();
  canvas.Brush.Style = TBrushStyle::bsClear;
  for (int slot = n - 1; slot >= 0; slot -= stride) {
    const std::string &label = data_.SlotLabels[slot];
    const TRect r = SlotRect(slot);
    const int width = canvas.TextWidth(label);
    const int x = std::clamp(r.Left + (r.Width - width) / 2, b.Left, b.Left + b.Width - width);
    canvas.TextAt(x, plot.Top + plot.Height + 2, label);
  }
  canvas.Brush.Style = TBrushStyle::bsSolid;
}

void GChart::PaintLegend(ICanvas &canvas) {
  const TRect &b = Bounds();
  int x = b.Left;
  const int top = b.Top + (kLegendHeight - kSwatch) / 2 - 1;
  for (const TChartSeries &series : data_.Series) {
    canvas.Brush.Color = series.Color;
    if (series.Kind == TChartSeriesKind::skBars) {
      canvas.FillRect(CanvasOf(x, top, x + kSwatch, top + kSwatch));
    } else {
      canvas.Pen = TCanvasPen{series.Color, kLineWidth, TPenStyle::psSolid};
      canvas.Line(x, top + kSwatch / 2, x + kSwatch + 2, top + kSwatch / 2);
    }
    x += kSwatch + 4;
    canvas.Brush.Style = TBrushStyle::bsClear;
    canvas.TextAt(x, b.Top, series.Name);
    canvas.Brush.Style = TBrushStyle::bsSolid;
    x += canvas.TextWidth(series.Name) + kLegendGap;
  }
}
