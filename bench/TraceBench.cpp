// The per-event intake path and the per-tick rule evaluation, with a count of
// heap allocations made inside the timed loops (reported as counters; both
// must stay 0).
#include "authoring/IDbRecWriter.h"
#include "sim/DaySimulation.h"
#include "sim/TraceSimulation.h"

#include <benchmark/benchmark.h>

#include "HeapCounter.h"

#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

TDateTime Morning() {
  TDateTime value = 0;
  EncodeDate(2026, 12, 9, value);
  return value + 9.0 / 24;
}

void ReportAllocations(benchmark::State &state, uint64_t before) {
  state.counters["allocs_per_iteration"] = benchmark::Counter(
      static_cast<double>(HeapAllocations() - before) / static_cast<double>(state.iterations()));
}

void BM_KeyboardNotification(benchmark::State &state) {
  TTraceSimulation sim(Morning());
  sim.Start();
  TTraceEngine &engine = sim.Engine;
  uint64_t before = HeapAllocations();
  for (auto _ : state)
    engine.HandleNotification(kKeyboardNotification, 'A', 0xC0000001u);
  ReportAllocations(state, before);
  benchmark::DoNotOptimize(engine.InputCount(ttKeystrokes));
}
BENCHMARK(BM_KeyboardNotification);

void BM_MouseMoveNotification(benchmark::State &state) {
  TTraceSimulation sim(Morning());
  sim.Start();
  TTraceEngine &engine = sim.Engine;
  int32_t x = 0;
  uint64_t before = HeapAllocations();
  for (auto _ : state) {
    sim.Cursor.Position.X = ++x & 1023; // a new place every time: always counted
    engine.HandleNotification(kMouseNotification, kMsgMouseMove, 0);
  }
  ReportAllocations(state, before);
  benchmark::DoNotOptimize(engine.InputCount(ttMouseMoves));
}
BENCHMARK(BM_MouseMoveNotification);

void BM_MouseClickNotification(benchmark::State &state) {
  TTraceSimulation sim(Morning());
  sim.Start();
  TTraceEngine &engine = sim.Engine;
  uint64_t before = HeapAllocations();
  for (auto _ : state)
    engine.HandleNotification(kMouseNotification, kMsgLButtonUp, 0);
  ReportAllocations(state, before);
  benchmark::DoNotOptimize(engine.InputCount(ttMouseClicks));
}
BENCHMARK(BM_MouseClickNotification);

// The five built-in rules and 100 from a rule file, of every trace type, with
// and without periods.
std::string HundredRules() {
  static const char *const kTypes[] = {"ttTime",        "ttGlobalInput", "ttKeystrokes",
                                       "ttMouseMoves",  "ttMouseClicks", "ttMouseDClicks",
                                       "ttMouseWheel"};
  std::string text = "[Contents]\n";
  for (int i = 0; i < 100; ++i)
    text += "R" + std::to_string(i) + "\n";
  for (int i = 0; i < 100; ++i) {
    text += "\n[R" + std::to_string(i) + "]\nKind=msrtInformation\nStatusLstLbl=Rule " +
            std::to_string(i) + "\nTraceMsgStats.Kind=" + kTypes[i % 7] + "\n" +
            (i % 2 ? "TraceMsgStats.TraceInput=False\n" : "") +
            (i % 3 ? "TraceMsgStats.TracePeriod=0:0" + std::to_string(1 + i % 9) + ":00\n" : "") +
            "TraceMsgStats.Conditions[" + std::to_string(i % 7) + "]=(" + std::to_string(i * 10) +
            ",0:10:00)\nTraceMsgStats.MsgTimeout=0:00:30\nMsgText=Message " + std::to_string(i) +
            "\n";
  }
  return text;
}

void BM_EvaluateRules105(benchmark::State &state) {
  TTraceSimulation sim(Morning());
  sim.Start();
  TTraceEngine &engine = sim.Engine;
  AddRulesFromText(*engine.TraceState.Rules, HundredRules(), TLocaleFormats(), engine.TraceState.Now, 0);
  if (engine.TraceState.Rules->size() != 105)
    state.SkipWithError("the rule file did not give 100 rules");
  const TDateTime tick = engine.TraceInterval / kMillisecondsPerDay;
  uint32_t n = 0;
  uint64_t before = HeapAllocations();
  for (auto _ : state) {
    // Some input on most ticks, a pause now and then.
    if (++n % 16 < 12) {
      engine.CountInputMessage(kMsgKeyUp);
      engine.CountInputMessage(kMsgMouseMove);
    }
    engine.TraceState.Now += tick;
    engine.EvaluateRules();
  }
  ReportAllocations(state, before);
  state.counters["rules"] = static_cast<double>(engine.TraceState.Rules->size());
}
BENCHMARK(BM_EvaluateRules105);

// The scheduler's part of a tick (TraceUpdated) with the same 105 rules, the
// main window in the tray, no dialog on screen and no rule fired: input
// activity mirrored into the profile, the absence check, the search for a
// fired rule.
void BM_TraceUpdated105(benchmark::State &state) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("movaro-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  {
    TDaySimulation day(Morning(), 0, 1, folder.string() + "/");
    std::string error, info = (folder / "MVRInfo.dat").string();
    if (!WriteRecordFile(day.Sim.Files, {{1, "q_44|Dlg #qggt0000010001", "Question?"}}, info, error) ||
        !day.LoadInfoFile(info))
      state.SkipWithError("no information file");
    day.MakeProfile();
    day.Start();
    TTraceEngine &engine = day.Context.Trace;
    AddRulesFromText(*engine.TraceState.Rules, HundredRules(), TLocaleFormats(), engine.TraceState.Now, 0);
    for (TMsgStatRec &rule : *engine.TraceState.Rules)
      rule.Fired = false;
    uint32_t n = 0;
    uint64_t before = HeapAllocations();
    for (auto _ : state) {
      if (++n % 4 == 0)
        engine.CountInputMessage(kMsgKeyUp); // a mirrored counter changes now and then
      day.Scheduler.TraceUpdated();
    }
    ReportAllocations(state, before);
    if (day.Dialog.Showing())
      state.SkipWithError("a dialog showed");
    state.counters["rules"] = static_cast<double>(engine.TraceState.Rules->size());
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_TraceUpdated105);

} // namespace
