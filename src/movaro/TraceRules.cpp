#include "movaro/TraceRules.h"

#include "data/text/DateTimeText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace {

constexpr TDateTime Seconds(double seconds) { return seconds / kSecondsPerDay; }

// A rule file is a few kilobytes; a larger one is read up to this size.
constexpr int64_t kMaxRuleFileBytes = 16 * 1024 * 1024;
// Far more rules than any rule file holds; keeps a hostile "Contents" list
// (one section named a million times) from eating the memory.
constexpr size_t kMaxFileRules = 4096;

void ResetExtremeCopies(TTraceMsgStats &stats) {
  stats.Stats[tsTotal] = {};
  stats.Stats[tsRun] = {};
  stats.Stats[tsMaxCountRun] = {};
  stats.Stats[tsLongestRun] = {};
  stats.Stats[tsMinCountRun] = {0xFFFFFFFFu, 1.0};
  stats.Stats[tsShortestRun] = {0xFFFFFFFFu, 1.0};
}

TMsgStatRec NewRule(std::string label, TMsgStatRecType kind, TTraceType traceType,
                    bool traceInput, TDateTime period, TDateTime msgTimeout) {
  TMsgStatRec rule;
  rule.Kind = kind;
  rule.StatusLstLbl = std::move(label);
  rule.TraceMsgStats.Kind = traceType;
  rule.TraceMsgStats.TraceInput = traceInput;
  rule.TraceMsgStats.TracePeriod = period;
  rule.TraceMsgStats.MsgTimeout = msgTimeout;
  ResetStats(rule.TraceMsgStats, 0);
  return rule;
}

void AddBuiltInRules(TRuleList &rules, const TRuleSetup &setup, TDateTime now) {
  TMsgStatRec base = NewRule("Base", msrtNone, ttTime, true, Seconds(300), Seconds(10));
  base.TraceMsgStats.Conditions[0] = {0, Seconds(1)};
  base.TraceMsgStats.CondUsed[0] = true;
  rules.push_back(std::move(base));

  rules.push_back(NewRule("Input", msrtNone, ttGlobalInput, true, 1.0, 0));
  rules.push_back(NewRule("Non Input", msrtNone, ttGlobalInput, false, 1.0, 0));

  TMsgStatRec shortBreak =
      NewRule("Short Break Warning", msrtWarning, ttGlobalInput, false, Seconds(60), Seconds(10));
  shortBreak.TraceMsgStats.Conditions[tsLongestRun] = {0, Seconds(10)};
  shortBreak.TraceMsgStats.CondUsed[tsLongestRun] = true;
  shortBreak.TraceMsgStats.CondBelow[tsLongestRun] = true;
  shortBreak.MsgText = setup.ShortBreakText;
  rules.push_back(std::move(shortBreak));

  TMsgStatRec longBreak = NewRule("Long Break Warning", msrtWarning, ttGlobalInput, false,
                                  Seconds(3600), Seconds(600));
  longBreak.TraceMsgStats.TracePeriodRef = {0, now};
  longBreak.TraceMsgStats.Conditions[tsLongestRun] = {0, Seconds(600)};
  longBreak.TraceMsgStats.CondUsed[tsLongestRun] = true;
  longBreak.TraceMsgStats.CondBelow[tsLongestRun] = true;
  longBreak.MsgText = setup.LongBreakText;
  rules.push_back(std::move(longBreak));
}

// A signed decimal integer of 32 bits, or 0.
int32_t TextToIntDefault(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty())
    return 0;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      return 0;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL)
      return 0;
  }
  if (negative)
    value = -value;
  if (value > INT32_MAX)
    return 0;
  return static_cast<int32_t>(value);
}

// "(n,t)": the opening bracket is dropped, n runs up to the first comma, t is
// the rest without its last character (the closing bracket).
void SplitPair(std::string_view value, int32_t &number, std::string_view &timeText) {
  if (!value.empty())
    value.remove_prefix(1);
  size_t comma = value.find(',');
  if (comma == std::string_view::npos) {
    number = TextToIntDefault(value);
    timeText = {};
    return;
  }
  number = TextToIntDefault(value.substr(0, comma));
  timeText = value.substr(comma + 1);
  if (!timeText.empty())
    timeText.remove_suffix(1);
}

TDateTime TextToDateTimeOrZero(std::string_view text, const TLocaleFormats &formats) {
  TDateTime value = 0;
  TextToDateTime(text, formats, value);
  return value;
}

bool ReadKind(std::string_view text, const char *const *names, int count, uint8_t &result) {
  for (int i = 0; i < count; ++i)
    if (text == names[i]) {
      result = static_cast<uint8_t>(i);
      return true;
    }
  return false;
}

TMsgStatRec RuleFromSection(const std::vector<std::string_view> &body,
                            const TLocaleFormats &formats, TDateTime now, uint32_t tickCount) {
  static const char *const kKinds[] = {"msrtNone", "msrtInformation", "msrtQuestion",
                                       "msrtWarning", "msrtOk"};
  static const char *const kTraceTypes[] = {"ttTime",        "ttGlobalInput",  "ttKeystrokes",
                                            "ttMouseMoves",  "ttMouseClicks",  "ttMouseDClicks",
                                            "ttMouseWheel"};
  TMsgStatRec rule;
  TTraceMsgStats &stats = rule.TraceMsgStats;
  ResetStats(stats, 0);
  ReadKind(RuleFileValue("Kind", body), kKinds, 5, rule.Kind);
  rule.StatusLstLbl = std::string(RuleFileValue("StatusLstLbl", body));
  ReadKind(RuleFileValue("TraceMsgStats.Kind", body), kTraceTypes, kTraceTypeCount, stats.Kind);
  stats.TraceInput = RuleFileValue("TraceMsgStats.TraceInput", body) != "False";
  stats.TraceTimeout = TextToDateTimeOrZero(RuleFileValue("TraceMsgStats.TraceTimeout", body), formats);
  stats.TracePeriod = TextToDateTimeOrZero(RuleFileValue("TraceMsgStats.TracePeriod", body), formats);
  std::string_view periodRef = RuleFileValue("TraceMsgStats.TracePeriodRef", body);
  if (!periodRef.empty()) {
    int32_t number;
    std::string_view timeText;
    SplitPair(periodRef, number, timeText);
    stats.TracePeriodRef.Count = static_cast<uint32_t>(number);
    // A non-zero number counts the periods from the moment the system started.
    stats.TracePeriodRef.Time =
        number == 0 ? TextToDateTimeOrZero(timeText, formats) : now - tickCount / kMillisecondsPerDay;
  }
  char key[] = "TraceMsgStats.Conditions[0]";
  for (int i = 0; i < kTraceStatCount; ++i) {
    key[sizeof key - 3] = static_cast<char>('0' + i);
    std::string_view condition = RuleFileValue(key, body);
    if (condition.empty())
      continue;
    int32_t number;
    std::string_view timeText;
    SplitPair(condition, number, timeText);
    stats.Conditions[i] = {static_cast<uint32_t>(number), TextToDateTimeOrZero(timeText, formats)};
    stats.CondUsed[i] = true;
  }
  stats.MsgTimeout = TextToDateTimeOrZero(RuleFileValue("TraceMsgStats.MsgTimeout", body), formats);
  std::string_view text = RuleFileValue("MsgText", body);
  if (!text.empty())
    rule.MsgText = std::string(text);
  return rule;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool IsSectionHeader(std::string_view line) {
  return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// The body that starts at line index first.
std::vector<std::string_view> BodyFrom(size_t first, const std::vector<std::string_view> &lines) {
  std::vector<std::string_view> body;
  for (size_t i = first; i < lines.size(); ++i) {
    if (lines[i].empty() || lines[i].front() == '[')
      break;
    body.push_back(lines[i]);
  }
  return body;
}

// Events between two readings of a counter. Counters wrap from 0xFFFFFFFE to
// 0, skipping 0xFFFFFFFF, so across a wrap the plain difference modulo 2^32
// would count one event too many.
uint32_t CountsSince(uint32_t earlier, uint32_t later) {
  if (later >= earlier)
    return later - earlier;
  return later + (kMaxTraceCount - earlier) + 1;
}

void UpdateExtremes(TTraceMsgStats &stats) {
  const TTraceCount &run = stats.Stats[tsRun];
  if (run.Count < stats.Stats[tsMinCountRun].Count)
    stats.Stats[tsMinCountRun] = run;
  if (run.Count > stats.Stats[tsMaxCountRun].Count)
    stats.Stats[tsMaxCountRun] = run;
  if (run.Time < stats.Stats[tsShortestRun].Time)
    stats.Stats[tsShortestRun] = run;
  if (run.Time > stats.Stats[tsLongestRun].Time)
    stats.Stats[tsLongestRun] = run;
}

void UpdateStats(TTraceMsgStats &stats, uint32_t counterReading, TDateTime now, TDateTime dt) {
  TTraceCount &last = stats.Stats[tsLast];
  if (stats.Kind == ttTime) {
    last = {0, now};
    return;
  }
  TTraceCount &total = stats.Stats[tsTotal];
  TTraceCount &run = stats.Stats[tsRun];
  if (counterReading != last.Count) {
    uint32_t added = CountsSince(last.Count, counterReading);
    if (stats.TraceInput) {
      total.Count += added;
      total.Time += dt;
      run.Count += added;
      run.Time += dt;
      if (run.Time > 0)
        UpdateExtremes(stats);
    } else { // a rest ends
      if (run.Time > 0)
        UpdateExtremes(stats);
      run = {};
    }
  } else if (stats.TraceInput) { // an activity run ends
    if (run.Time > 0)
      UpdateExtremes(stats);
    run = {};
  } else {
    total.Time += dt;
    run.Time += dt;
    if (run.Time > 0)
      UpdateExtremes(stats);
  }
  last.Count = counterReading;
  last.Time += dt;
}

void Conclude(TMsgStatRec &rule, uint32_t counterReading, TDateTime now) {
  ResetStats(rule.TraceMsgStats, counterReading);
  if (rule.Fired)
    rule.ShowUntil = now + rule.TraceMsgStats.MsgTimeout;
  rule.Evaluated = true;
}

// Compared in whole milliseconds: the sum Now + MsgTimeout and a later tick's
// Now differ in their last bits from minute to minute, so a floating-point
// comparison ended the same message one tick earlier in some minutes.
bool ShowTimePassed(const TMsgStatRec &rule, TDateTime now) {
  return DurationMilliseconds(now) > DurationMilliseconds(rule.ShowUntil);
}

void Release(TMsgStatRec &rule) {
  rule.ShowUntil = 0;
  rule.Evaluated = false;
  rule.Fired = false;
}

} // namespace

void ResetStats(TTraceMsgStats &stats, uint32_t counterReading) {
  stats.Stats[tsLast] = {counterReading, 0};
  ResetExtremeCopies(stats);
}

std::vector<std::string_view> SplitRuleFileLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos)
      break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::vector<std::string_view> RuleFileSection(std::string_view name,
                                              const std::vector<std::string_view> &lines) {
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    if (IsSectionHeader(line) && line.substr(1, line.size() - 2) == name)
      return BodyFrom(i + 1, lines);
  }
  return {};
}

std::string_view RuleFileValue(std::string_view key, const std::vector<std::string_view> &body) {
  for (std::string_view line : body)
    if (StartsWith(line, key) && line.size() > key.size() && line[key.size()] == '=')
      return line.substr(key.size() + 1);
  return {};
}

void AddRulesFromText(TRuleList &rules, std::string_view text, const TLocaleFormats &formats,
                      TDateTime now, uint32_t tickCount) {
  std::vector<std::string_view> lines = SplitRuleFileLines(text);
  // The first header of each name, found once: the Contents list may name
  // many sections in a long file.
  std::unordered_map<std::string_view, size_t> headers;
  for (size_t i = 0; i < lines.size(); ++i)
    if (IsSectionHeader(lines[i]))
      headers.emplace(lines[i].substr(1, lines[i].size() - 2), i);
  auto contents = headers.find("Contents");
  if (contents == headers.end())
    return;
  size_t added = 0;
  for (std::string_view name : BodyFrom(contents->second + 1, lines)) {
    auto header = headers.find(name);
    if (header == headers.end())
      continue;
    std::vector<std::string_view> body = BodyFrom(header->second + 1, lines);
    if (body.empty())
      continue;
    if (added++ == kMaxFileRules)
      return;
    rules.push_back(RuleFromSection(body, formats, now, tickCount));
  }
}

void BuildRules(TRuleList &rules, const TRuleSetup &setup, TFileSystem &files, TDateTime now,
                uint32_t tickCount) {
  try {
    AddBuiltInRules(rules, setup, now);
    std::string text;
    if (!setup.RuleFilePath.empty() &&
        ReadWholeFile(files, setup.RuleFilePath, text, kMaxRuleFileBytes))
      AddRulesFromText(rules, text, setup.Locale ? setup.Locale->DateTimeFormats() : TLocaleFormats(),
                       now, tickCount);
  } catch (...) {
    // The rules added so far stay.
  }
  if (!setup.TracesStatusLst)
    return;
  try {
    setup.TracesStatusLst->clear();
    for (const TMsgStatRec &rule : rules)
      setup.TracesStatusLst->push_back(rule.StatusLstLbl);
  } catch (...) {
  }
}

bool ConditionsMet(const TTraceMsgStats &stats) {
  for (int i = 0; i < kTraceStatCount; ++i) {
    if (!stats.CondUsed[i])
      continue;
    const TTraceCount &value = stats.Stats[i], &threshold = stats.Conditions[i];
    int64_t time = DurationMilliseconds(value.Time), thresholdTime = DurationMilliseconds(threshold.Time);
    bool met = stats.CondBelow[i] ? value.Count < threshold.Count || time < thresholdTime
                                  : value.Count >= threshold.Count || time >= thresholdTime;
    if (met)
      return true;
  }
  return false;
}

void EvaluateRule(TMsgStatRec &rule, uint32_t counterReading, TDateTime now, TDateTime tickDays) {
  TTraceMsgStats &stats = rule.TraceMsgStats;
  UpdateStats(stats, counterReading, now, tickDays);
  if (stats.TracePeriod > 0) {
    // Periods are counted from the reference moment in whole milliseconds:
    // k = whole periods passed, the window runs from the boundary k * period
    // for MsgTimeout.
    int64_t period = std::max<int64_t>(DurationMilliseconds(stats.TracePeriod), 1);
    int64_t sinceRef = DurationMilliseconds(now - stats.TracePeriodRef.Time);
    int64_t intoPeriod = sinceRef - sinceRef / period * period; // k truncated toward zero
    if (0 <= intoPeriod && intoPeriod <= DurationMilliseconds(stats.MsgTimeout)) {
      if (rule.Evaluated)
        return;
      // Judge only a period of which more than half has been traced.
      rule.Fired = DurationMilliseconds(stats.TracePeriod) < 2 * DurationMilliseconds(stats.Stats[tsLast].Time) &&
                   ConditionsMet(stats);
      Conclude(rule, counterReading, now);
    } else if (rule.Evaluated && ShowTimePassed(rule, now)) {
      Release(rule);
    }
    return;
  }
  // Two steps in one tick: a rule that times out unfired concludes with no
  // message time and is released at once, so it collects again from this tick.
  if (!rule.Evaluated) {
    rule.Fired = ConditionsMet(stats);
    if (rule.Fired || (stats.TraceTimeout > 0 && DurationMilliseconds(stats.Stats[tsLast].Time) >
                                                     DurationMilliseconds(stats.TraceTimeout)))
      Conclude(rule, counterReading, now);
  }
  if (rule.Evaluated && ShowTimePassed(rule, now))
    Release(rule);
}
