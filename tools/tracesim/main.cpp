// tracesim: replays an input script through the real trace engine in virtual
// time and prints every rule firing. See README.md for the script format.
//   tracesim SCRIPT [--rules RULEFILE] [--stats RULE] [--until TIME]
#include "data/text/DateTimeText.h"
#include "sim/TraceSimulation.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string FormatDateTime(TDateTime value) {
  TDateTimeParts p;
  if (!DecodeDateTime(value, p))
    return "?";
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", p.Year, p.Month, p.Day,
                p.Hour, p.Minute, p.Second, p.Millisecond);
  return text;
}

std::string FormatCount(const TTraceCount &value, bool absoluteTime) {
  char text[80];
  if (absoluteTime)
    return "(" + std::to_string(value.Count) + "," + FormatDateTime(value.Time) + ")";
  std::snprintf(text, sizeof text, "(%u,%.3f)", value.Count, value.Time * kSecondsPerDay);
  return text;
}

// "90", "90.5", "1:30", "1:02:03.250": an offset from the start, in ms.
bool ParseOffset(const std::string &text, uint64_t &milliseconds) {
  double total = 0, part = 0;
  size_t position = 0;
  int fields = 0;
  while (position <= text.size()) {
    size_t colon = text.find(':', position);
    std::string field = text.substr(position, colon == std::string::npos ? std::string::npos
                                                                          : colon - position);
    char *end = nullptr;
    if (field.empty())
      return false;
    part = std::strtod(field.c_str(), &end);
    if (*end != '\0' || part < 0 || (colon != std::string::npos && field.find('.') != std::string::npos))
      return false;
    total = total * 60 + part;
    if (++fields > 3)
      return false;
    if (colon == std::string::npos)
      break;
    position = colon + 1;
  }
  if (total > 1.0e12)
    return false;
  milliseconds = static_cast<uint64_t>(total * 1000 + 0.5);
  return true;
}

int Usage() {
  std::cerr << "usage: tracesim SCRIPT [--rules RULEFILE] [--stats RULE] [--until TIME]\n";
  return 2;
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
        std::cout << FormatDateTime(engine.TraceState.Now) << "  rule " << i << "  \""
                  << rule.StatusLstLbl << "\"  ShowUntil " << FormatDateTime(rule.ShowUntil) << "\n";
      WasFired[i] = rule.Fired;
    }
    if (StatsRule >= 0 && static_cast<size_t>(StatsRule) < rules->size()) {
      const TTraceMsgStats &stats = (*rules)[StatsRule].TraceMsgStats;
      static const char *const kNames[] = {"Last", "Total", "Run", "MinCountRun", "MaxCountRun",
                                           "ShortestRun", "LongestRun"};
      std::cout << FormatDateTime(engine.TraceState.Now) << "  stats " << StatsRule;
      for (int s = 0; s < kTraceStatCount; ++s)
        std::cout << "  " << kNames[s] << "="
                  << FormatCount(stats.Stats[s], s == tsLast && stats.Kind == ttTime);
      std::cout << "\n";
    }
  }
};

} // namespace

int main(int argc, char **argv) {
  std::string scriptPath, rulesPath, untilText;
  int statsRule = -1;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument == "--rules" && i + 1 < argc)
      rulesPath = argv[++i];
    else if (argument == "--stats" && i + 1 < argc)
      statsRule = std::atoi(argv[++i]);
    else if (argument == "--until" && i + 1 < argc)
      untilText = argv[++i];
    else if (!argument.empty() && argument[0] != '-' && scriptPath.empty())
      scriptPath = argument;
    else
      return Usage();
  }
  if (scriptPath.empty())
    return Usage();
  std::ifstream script(scriptPath);
  if (!script) {
    std::cerr << "tracesim: cannot read " << scriptPath << "\n";
    return 2;
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(script, line);) {
    size_t comment = line.find('#'); // comments run to the end of the line
    if (comment != std::string::npos)
      line.erase(comment);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    lines.push_back(line);
  }

  // Header lines: "start DATE TIME" and "tick N", before the first event.
  TDateTime start = 0;
  EncodeDate(2026, 1, 5, start);
  start += 9.0 / 24;
  uint32_t tickStart = 0;
  size_t first = 0;
  auto fail = [&](size_t index, const std::string &what) {
    std::cerr << scriptPath << ":" << index + 1 << ": " << what << "\n";
    return 2;
  };
  for (; first < lines.size(); ++first) {
    std::istringstream words(lines[first]);
    std::string keyword;
    if (!(words >> keyword))
      continue;
    if (keyword == "start") {
      std::string rest;
      std::getline(words, rest);
      if (!TextToDateTime(rest, TLocaleFormats(), start))
        return fail(first, "not a date-time: " + rest);
    } else if (keyword == "tick") {
      unsigned long long value;
      if (!(words >> value) || value > 0xFFFFFFFFull)
        return fail(first, "not a tick count");
      tickStart = static_cast<uint32_t>(value);
    } else {
      break;
    }
  }

  TTraceSimulation sim(start, tickStart);
  TReplay replay;
  replay.Sim = &sim;
  replay.StatsRule = statsRule;
  sim.Engine.RuleSetup.ShortBreakText = "main text 17";
  sim.Engine.RuleSetup.LongBreakText = "main text 18";
  sim.Engine.RuleSetup.RuleFilePath = rulesPath;
  sim.Engine.OnTraceUpdate = [&] { replay.OnUpdate(); };
  sim.Engine.OnTraceRestart = [&] {
    std::cout << FormatDateTime(sim.Engine.TraceState.Now) << "  restart\n";
    replay.WasFired.clear();
  };
  if (!sim.Start())
    std::cerr << "tracesim: tracing did not start\n";

  uint64_t last = 0;
  bool endSeen = false;
  for (size_t index = first; index < lines.size(); ++index) {
    std::istringstream words(lines[index]);
    std::string timeText, event;
    if (!(words >> timeText))
      continue;
    uint64_t at;
    if (!ParseOffset(timeText, at))
      return fail(index, "not a time: " + timeText);
    if (at < last)
      return fail(index, "time goes back");
    if (!(words >> event))
      return fail(index, "no event");
    std::vector<std::string> rest;
    for (std::string word; words >> word;)
      rest.push_back(word);
    // Optional trailing cursor position "X Y": where the cursor is at the event.
    bool positioned = false;
    TCursorPoint position;
    auto number = [](const std::string &text, int32_t &value) {
      char *end = nullptr;
      long parsed = std::strtol(text.c_str(), &end, 10);
      value = static_cast<int32_t>(parsed);
      return !text.empty() && *end == '\0' && parsed >= INT32_MIN && parsed <= INT32_MAX;
    };
    if (rest.size() >= 2 && number(rest[rest.size() - 2], position.X) &&
        number(rest.back(), position.Y) && event != "type") {
      positioned = true;
      rest.resize(rest.size() - 2);
    }
    sim.AdvanceTo(at);
    last = at;
    if (positioned && event != "move")
      sim.Cursor.Position = position;
    TMouseButton button = TMouseButton::Left;
    bool buttonEvent = event == "click" || event == "down" || event == "up" || event == "dclick";
    if (buttonEvent && !rest.empty()) {
      if (rest[0] == "right")
        button = TMouseButton::Right;
      else if (rest[0] == "middle")
        button = TMouseButton::Middle;
      else if (rest[0] != "left")
        return fail(index, "unknown button: " + rest[0]);
      rest.erase(rest.begin());
    }
    size_t expectedWords = event == "type" ? 2 : 0;
    if (rest.size() != expectedWords)
      return fail(index, "unexpected words after " + event);
    if (event == "key") {
      sim.KeyStroke();
    } else if (event == "keydown") {
      sim.KeyPress();
    } else if (event == "keyup") {
      sim.KeyRelease();
    } else if (event == "type") {
      unsigned long count = std::strtoul(rest[0].c_str(), nullptr, 10);
      unsigned long every = std::strtoul(rest[1].c_str(), nullptr, 10);
      if (every == 0 || count > 100000000)
        return fail(index, "type needs COUNT and MILLISECONDS (above 0)");
      for (unsigned long n = 0; n < count; ++n) {
        sim.AdvanceTo(at + uint64_t(n) * every);
        sim.KeyStroke();
      }
      last = sim.ElapsedMs();
    } else if (event == "move") {
      if (!positioned)
        return fail(index, "move needs X and Y");
      sim.MoveTo(position.X, position.Y);
    } else if (event == "click") {
      sim.Click(button);
    } else if (event == "down") {
      sim.ButtonDown(button);
    } else if (event == "up") {
      sim.ButtonUp(button);
    } else if (event == "dclick") {
      sim.DoubleClick(button);
    } else if (event == "wheel") {
      sim.Wheel();
    } else if (event == "pause") {
      sim.Engine.Pause();
    } else if (event == "resume") {
      sim.Engine.Resume();
    } else if (event == "end") {
      endSeen = true;
      break;
    } else {
      return fail(index, "unknown event: " + event);
    }
  }
  uint64_t until = endSeen ? last : last + 1000;
  if (!untilText.empty() && !ParseOffset(untilText, until))
    return Usage();
  sim.AdvanceTo(until);
  return 0;
}
