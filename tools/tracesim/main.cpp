// tracesim: replays an input script through the real trace engine in virtual
// time and prints every rule firing. See README.md for the script format.
//   tracesim SCRIPT [--rules RULEFILE] [--stats RULE] [--until TIME]
#include "sim/InputScript.h"
#include "sim/SimulatorTool.h"
#include "sim/TraceSimulation.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::string FormatCount(const TTraceCount &value, bool absoluteTime) {
  char text[80];
  if (absoluteTime)
    return "(" + std::to_string(value.Count) + "," + FormatSimTime(value.Time) + ")";
  std::snprintf(text, sizeof text, "(%u,%.3f)", value.Count, value.Time * kSecondsPerDay);
  return text;
}

struct TReplay {
  TTraceSimulation *Sim = nullptr;
  std::vector<bool> WasFired;
  int StatsRule = -1;

  void OnUpdate() {
    const TTraceEngine &engine = Sim->Engine;
    const TRuleList *rules = engine.TraceState.Rules.get();
    if (!rules)
      return;
    WasFired.resize(rules->size());
    for (size_t i = 0; i < rules->size(); ++i) {
      const TMsgStatRec &rule = (*rules)[i];
      if (rule.Fired && !WasFired[i])
        std::cout << FormatSimTime(engine.TraceState.Now) << "  rule " << i << "  \""
                  << rule.StatusLstLbl << "\"  ShowUntil " << FormatSimTime(rule.ShowUntil) << "\n";
      WasFired[i] = rule.Fired;
    }
    if (StatsRule >= 0 && static_cast<size_t>(StatsRule) < rules->size()) {
      const TTraceMsgStats &stats = (*rules)[StatsRule].TraceMsgStats;
      static const char *const kNames[] = {"Last", "Total", "Run", "MinCountRun", "MaxCountRun",
                                           "ShortestRun", "LongestRun"};
      std::cout << FormatSimTime(engine.TraceState.Now) << "  stats " << StatsRule;
      for (int s = 0; s < kTraceStatCount; ++s)
        std::cout << "  " << kNames[s] << "="
                  << FormatCount(stats.Stats[s], s == tsLast && stats.Kind == ttTime);
      std::cout << "\n";
    }
  }
};

} // namespace

int main(int argc, char **argv) {
  const TSimulatorToolSyntax syntax{
      "tracesim", "usage: tracesim SCRIPT [--rules RULEFILE] [--stats RULE] [--until TIME]\n",
      {"--rules", "--stats"}, {}, {}};
  TSimulatorTool tool;
  if (!StartSimulatorTool(argc, argv, syntax, tool))
    return 2;
  const TInputScript &script = tool.Script;
  const std::string rulesPath = tool.Value("--rules");
  const int statsRule = std::atoi(tool.Value("--stats", "-1").c_str());

  TTraceSimulation sim(script.Start, script.TickStart);
  TReplay replay;
  replay.Sim = &sim;
  replay.StatsRule = statsRule;
  sim.Engine.RuleSetup.ShortBreakText = "main text 17";
  sim.Engine.RuleSetup.LongBreakText = "main text 18";
  sim.Engine.RuleSetup.RuleFilePath = rulesPath;
  sim.Engine.OnTraceUpdate = [&] { replay.OnUpdate(); };
  sim.Engine.OnTraceRestart = [&] {
    std::cout << FormatSimTime(sim.Engine.TraceState.Now) << "  restart\n";
    replay.WasFired.clear();
  };
  if (!sim.Start())
    std::cerr << "tracesim: tracing did not start\n";

  for (const TScriptEvent &event : script.Events) {
    if (event.Name == "end")
      break;
    sim.AdvanceTo(event.At);
    RunInputEvent(sim, event);
  }
  sim.AdvanceTo(tool.Until);
  return 0;
}
