// The markup text control: one measuring and one painting pass of a 2.5 KB
// page on the recording canvas (target: at most 50 us), and scanning pages of
// nothing but "<" (linear in their length).
#include "platform/headless/HeadlessScreen.h"
#include "ui/markup/MarkupScanner.h"
#include "ui/markup/ParserControl.h"

#include <benchmark/benchmark.h>

namespace {

// A page like the exercise descriptions: paragraphs of words with styles, a
// size change, a hyperlink, a picture and line breaks; 2.5 KB.
std::string GeneratedPage() {
  static const char *const kWords[] = {"Sit", "upright", "and", "turn", "your", "head", "slowly",
                                       "to", "the", "left", "hold", "it", "for", "five", "seconds",
                                       "then", "breathe", "out", "relax", "shoulders"};
  std::string page = "<B>Neck exercise</B>\r\n<IMG NAME=erg012 WIDTH=120 ALIGN=CENTER>\r\n";
  for (int i = 0; page.size() < 2500; ++i) {
    if (i % 40 == 39)
      page += "\r\n";
    if (i % 25 == 5)
      page += "<I>";
    if (i % 25 == 9)
      page += "</I>";
    if (i % 60 == 20)
      page += "<A HREF=page" + std::to_string(i) + ">";
    if (i % 60 == 23)
      page += "</A>";
    if (i % 50 == 30)
      page += "<FONT SIZE=+2>";
    if (i % 50 == 33)
      page += "</FONT SIZE=-2>";
    page += kWords[(i * 7) % 20];
    page += ' ';
  }
  return page.substr(0, 2500);
}

void BM_MarkupMeasureAndPaint(benchmark::State &state) {
  const std::string page = GeneratedPage();
  THeadlessScreen screen;
  TPanel parent(nullptr, "InfoBox");
  parent.SetBounds(0, 0, 400, 300);
  GParserControl control(nullptr, "InfoText", screen);
  control.SetParent(&parent);
  control.SetText(page.c_str());
  TRecordingCanvas canvas;
  for (auto _ : state) {
    control.Relayout(); // the measuring pass
    canvas.Calls.clear();
    control.Paint(canvas); // the painting pass
    benchmark::DoNotOptimize(canvas.Calls.data());
  }
  state.counters["page_bytes"] = static_cast<double>(page.size());
  state.counters["drawn"] = static_cast<double>(canvas.Calls.size());
}
BENCHMARK(BM_MarkupMeasureAndPaint)->Unit(benchmark::kMicrosecond);

void BM_MarkupScanOpenBrackets(benchmark::State &state) {
  const std::string page(static_cast<size_t>(state.range(0)), '<');
  for (auto _ : state) {
    TMarkupScanner scanner(page);
    TMarkupToken token;
    size_t tokens = 0;
    while (scanner.Next(token))
      ++tokens;
    benchmark::DoNotOptimize(tokens);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_MarkupScanOpenBrackets)->Arg(200000)->Arg(800000)->Arg(3200000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

} // namespace
