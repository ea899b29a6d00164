#include "movaro/profile/Statistics.h"

#include "data/text/LogLine.h"
#include "movaro/profile/MessageEntry.h"

#include <algorithm>

const std::array<const char *, kTestGaugeCount> kTestGaugeLabels = {
    "Risk Index", "Stress", "Workload", "Working-hours", "Surroundings", "Chair",
    "Desk",       "Monitor", "Keyboard", "Mouse",        "Complaints"};

void UpdateInputActivity(TInputActivity &activity, const TTraceCount (&counters)[kTraceTypeCount],
                         TDateTime now, TDateTime tickDays) {
  activity.Updated = now;
  for (int kind = ttGlobalInput; kind <= ttMouseWheel; ++kind) {
    if (counters[kind].Count == activity.Counts[kind].Count)
      continue;
    activity.Counts[kind].Count = counters[kind].Count;
    activity.Counts[kind].Time += tickDays;
  }
}

void ResetInputActivity(TInputActivity &activity, const TTraceCount (&counters)[kTraceTypeCount],
                        TDateTime now) {
  activity.Updated = now;
  for (int kind = ttGlobalInput; kind <= ttMouseWheel; ++kind)
    activity.Counts[kind] = {counters[kind].Count, 0};
}

TDateTime MouseTime(const TInputActivity &activity) {
  return activity.Counts[ttMouseMoves].Time + activity.Counts[ttMouseClicks].Time;
}

TDateTime KeyboardTime(const TInputActivity &activity) { return activity.Counts[ttKeystrokes].Time; }

std::string ExcludedGroup(const TInputActivity &activity) {
  return MouseTime(activity) < KeyboardTime(activity) ? "mg" : "kk";
}

TStatusFigures StatusFigures(const TTraceState &trace, TDateTime now) {
  TStatusFigures f;
  f.Started = FormatTimeOfDay(trace.Start);
  f.TimeMeasured = FormatTimeOfDay(now - trace.Start);
  if (trace.Rules && trace.Rules->size() > 2) {
    const TTraceMsgStats &worked = (*trace.Rules)[1].TraceMsgStats;
    const TTraceMsgStats &rested = (*trace.Rules)[2].TraceMsgStats;
    f.HasRuleFigures = true;
    f.TimeWorked = FormatTimeOfDay(worked.Stats[tsTotal].Time);
    f.MaxWorked = FormatTimeOfDay(worked.Stats[tsLongestRun].Time);
    f.TimeRested = FormatTimeOfDay(rested.Stats[tsTotal].Time);
    f.MaxRested = FormatTimeOfDay(rested.Stats[tsLongestRun].Time);
  }
  f.Keystrokes = std::to_string(trace.Counters[ttKeystrokes].Count);
  f.MouseMoves = std::to_string(trace.Counters[ttMouseMoves].Count);
  f.MouseClicks = std::to_string(trace.Counters[ttMouseClicks].Count);
  f.MouseWheel = std::to_string(trace.Counters[ttMouseWheel].Count);
  return f;
}

std::string StatusBarClock(const std::string &prefix, TDateTime now) {
  return prefix + FormatHourMinute(now);
}

std::string ChooseStatusQuestion(const std::vector<std::string> &history,
                                 std::string_view groupFilter, std::string_view excludedGroup,
                                 int32_t avoidDay, std::string_view setNumber,
                                 const std::function<void()> &processMessages) {
  double bestValue = 1.7e308;
  int32_t bestCount = 2147483647;
  int32_t bestQuestionCount = -2;
  const std::string *chosen = nullptr;
  for (const std::string &entry : history) {
    if (processMessages)
      processMessages();
    std::string_view group = EntryGroup(entry);
    if (groupFilter != "gg" && group != groupFilter &&
        std::string(group) + EntryCategory(entry) != groupFilter)
      continue;
    if (group == excludedGroup || EntrySetNumber(entry) != setNumber)
      continue;
    const int32_t value = EntryValue(entry), count = EntryCount(entry);
    if (value == avoidDay || value > bestValue)
      continue;
    if (!IsQuestionnaireItem(entry)) {
      if (count < bestCount) {
        bestValue = value;
        bestCount = count;
        chosen = &entry;
      }
    } else if (count == -1 || count > bestQuestionCount) {
      bestValue = value;
      if (count > -1)
        bestQuestionCount = count;
      chosen = &entry;
    }
  }
  return chosen ? *chosen : "";
}

TQuestionnaireScore QuestionnaireScore(const std::vector<std::string> &history, std::string_view key) {
  auto digit = [](char c) { return c >= '0' && c <= '9' ? c - '0' : 0; };
  TQuestionnaireScore result;
  for (const std::string &entry : history) {
    if (!MatchesQuestionnaire(entry, key))
      continue;
    // The smaller and the larger answer are chosen on the characters.
    const char no = entry[5], yes = entry[6];
    const int32_t count = EntryCount(entry);
    result.Score += count != -1 ? count : digit(std::min(no, yes));
    result.Maximum += digit(std::max(no, yes));
  }
  return result;
}

std::array<std::optional<int>, kTestGaugeCount> TestGaugeValues(const std::vector<std::string> &history) {
  // Percentages in whole numbers, truncated, kept within the gauge's 0..100.
  auto percent = [](int64_t part, int64_t whole) {
    return static_cast<int>(std::clamp<int64_t>(part * 100 / whole, 0, 100));
  };
  std::array<std::optional<int>, kTestGaugeCount> gauges;
  int64_t totalScore = 0, totalMaximum = 0;
  for (int k = 1; k < kTestGaugeCount; ++k) {
    TQuestionnaireScore q = QuestionnaireScore(history, QuestionnaireKey(k));
    totalScore += q.Score;
    totalMaximum += q.Maximum;
    if (q.Maximum != 0)
      gauges[k] = percent(int64_t(q.Maximum) - q.Score, q.Maximum);
  }
  if (totalMaximum != 0)
    gauges[0] = percent(totalScore, totalMaximum);
  return gauges;
}
