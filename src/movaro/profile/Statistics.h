#pragma once
// Personal statistics: the day's activity figures of the status page, the
// input activity kept in the profile, the choice of the next health message
// or questionnaire item from the message history, and the scoring of the ten
// questionnaires into the eleven gauges of the status page.

#include "movaro/TraceEngine.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Per input kind: Count the counter reading last seen, Time the ticks (as
// days) in which that kind of input occurred since the last status question.
struct TInputActivity {
  TDateTime Updated = 0; // the latest trace update
  TDateTime Started = 0;
  double StartTick = 0;  // millisecond tick count when the profile was loaded
  TTraceCount Counts[kTraceTypeCount]; // [ttGlobalInput..ttMouseWheel]; [ttTime] unused
};

// A trace tick: every kind whose counter moved gets one more tick of time.
void UpdateInputActivity(TInputActivity &activity, const TTraceCount (&counters)[kTraceTypeCount],
                         TDateTime now, TDateTime tickDays);
// Every pair becomes (counter reading, no time): done when a status question shows.
void ResetInputActivity(TInputActivity &activity, const TTraceCount (&counters)[kTraceTypeCount],
                        TDateTime now);
// Days with mouse moves or clicks, and with keystrokes.
TDateTime MouseTime(const TInputActivity &activity);
TDateTime KeyboardTime(const TInputActivity &activity);
// The group of health messages not to offer: "kk" when the mouse was used at
// least as much as the keyboard, else "mg".
std::string ExcludedGroup(const TInputActivity &activity);

// The status page's figures, times as hh:mm:ss and counts in decimal. The
// rule figures come from rules 1 (worked) and 2 (rested) and are filled only
// while the rule list holds more than two rules.
struct TStatusFigures {
  std::string Started, TimeMeasured;
  bool HasRuleFigures = false;
  std::string TimeWorked, MaxWorked, TimeRested, MaxRested;
  std::string Keystrokes, MouseMoves, MouseClicks, MouseWheel;
};
TStatusFigures StatusFigures(const TTraceState &trace, TDateTime now);
// The clock of the status bar: the prefix (main text 5) and hh:mm, no blank between.
std::string StatusBarClock(const std::string &prefix, TDateTime now);

// The next message or questionnaire item to show: one pass over the history
// in its order. Entries of another group (unless the filter is "gg"; a
// filter of three letters also matches group and category), of the excluded
// group, of another set, or last shown on avoidDay are skipped. Among the
// rest, never-shown messages come before declined and those before accepted
// ones, and a later entry replaces the choice only when it was last shown on
// the choice's day or earlier. Empty when nothing fits. processMessages, when
// given, runs between entries.
std::string ChooseStatusQuestion(const std::vector<std::string> &history,
                                 std::string_view groupFilter, std::string_view excludedGroup,
                                 int32_t avoidDay, std::string_view setNumber,
                                 const std::function<void()> &processMessages = {});

struct TQuestionnaireScore {
  int32_t Score = 0, Maximum = 0;
};
// Sum of the answers' scores (an unanswered item counts its best, the
// smaller score) against the sum of the worst (larger) scores.
TQuestionnaireScore QuestionnaireScore(const std::vector<std::string> &history, std::string_view key);

constexpr int kTestGaugeCount = 11;
// Labels of the gauges: 0 the Risk Index over all ten questionnaires, then
// questionnaires 1..10.
extern const std::array<const char *, kTestGaugeCount> kTestGaugeLabels;
// The gauges' percentages; none for a gauge whose maximum is 0 (it keeps
// what it shows). The Risk Index grows with the scores, the others show the
// remaining share.
std::array<std::optional<int>, kTestGaugeCount> TestGaugeValues(const std::vector<std::string> &history);
