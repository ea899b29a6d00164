// The status page's history: reading a history file of three years of days
// and drawing the last 90 of them as its chart (target: under 5 ms), and a
// repaint of that chart alone, which allocates nothing (allocs_per_paint;
// heap use from the benchmark program's counting operator new).
#include "HeapCounter.h"

#include "movaro/pages/StatusHistory.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessLocale.h"
#include "ui/kit/Chart.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int32_t kToday = 46000;
constexpr int kYearsOfDays = 3 * 365 + 1;

// A canvas that draws nothing and measures texts as the recording canvas
// does, without keeping anything.
class TCountingCanvas : public ICanvas {
public:
  long Calls = 0;
  void TextAt(int, int, const std::string &) override { ++Calls; }
  int TextWidth(const std::string &text) override { return static_cast<int>(text.size()) * 6; }
  int TextHeight(const std::string &) override { return 13; }
  void Rectangle(const TCanvasRect &) override { ++Calls; }
  void RoundRect(const TCanvasRect &, int, int) override { ++Calls; }
  void FillRect(const TCanvasRect &) override { ++Calls; }
  void Line(int, int, int, int) override { ++Calls; }
  void Draw(int, int, const TCanvasBitmap &) override { ++Calls; }
  void StretchDraw(const TCanvasRect &, const TCanvasBitmap &) override { ++Calls; }
  TCanvasRect ClipRect() override { return {0, 0, 4096, 4096}; }
  const void *SelectPalette(const void *palette) override { return palette; }
};

// Three years of days up to today, every seventh missing, as a user's
// history file; written once.
const std::string &HistoryFile() {
  static const std::string path = [] {
    const std::string file =
        (std::filesystem::temp_directory_path() / "movaro-bench-Anna.history").string();
    std::string text;
    for (int d = kYearsOfDays - 1; d >= 0; --d) {
      if (d % 7 == 3)
        continue;
      TDayRecord day;
      day.Date = kToday - d;
      day.Measured = 30000 + d % 5000;
      day.Worked = 20000 + (d * 37) % 9000;
      day.Rested = day.Measured - day.Worked;
      day.LongestWorked = 3000 + d % 2000;
      day.Keystrokes = 15000 + d;
      day.ShortPrompts = 8 + d % 5;
      day.LongPrompts = 2;
      day.RestedThrough = 5 + d % 4;
      day.RiskIndex = d % 11 == 0 ? -1 : 20 + d % 60;
      text += DayRecordLine(day) + "\r\n";
    }
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }();
  return path;
}

THistoryTexts EnglishTexts() {
  return TranslatedHistoryTexts([](int32_t, const std::string &english) { return english; });
}

void BM_HistoryLoadAndChart90Days(benchmark::State &state) {
  THeadlessFileSystem files;
  const TLocaleFormats formats = THeadlessLocale::DefaultFormats();
  const THistoryTexts texts = EnglishTexts();
  const std::string &file = HistoryFile();
  GChart chart(nullptr, "HistoryChart");
  chart.SetBounds(10, 32, 480, 224);
  TCountingCanvas canvas;
  size_t days = 0;
  for (auto _ : state) {
    const TDayHistory history = ReadDayHistory(files, file);
    chart.SetData(HistoryChartData(history.Days, kToday, 90, texts, formats));
    chart.Paint(canvas);
    days = history.Days.size();
  }
  state.counters["days_read"] = static_cast<double>(days);
  state.counters["drawn_per_paint"] =
      static_cast<double>(canvas.Calls) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_HistoryLoadAndChart90Days)->Unit(benchmark::kMillisecond);

void BM_HistoryChartRepaint90Days(benchmark::State &state) {
  THeadlessFileSystem files;
  GChart chart(nullptr, "HistoryChart");
  chart.SetBounds(10, 32, 480, 224);
  chart.SetData(HistoryChartData(ReadDayHistory(files, HistoryFile()).Days, kToday, 90,
                                 EnglishTexts(), THeadlessLocale::DefaultFormats()));
  chart.Select(45);
  TCountingCanvas canvas;
  const uint64_t before = HeapAllocations();
  for (auto _ : state)
    chart.Paint(canvas);
  state.counters["allocs_per_paint"] = static_cast<double>(HeapAllocations() - before) /
                                       static_cast<double>(state.iterations());
  benchmark::DoNotOptimize(canvas.Calls);
}
BENCHMARK(BM_HistoryChartRepaint90Days)->Unit(benchmark::kMicrosecond);

} // namespace
