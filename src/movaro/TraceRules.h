#pragma once
// Trace rules: each follows one activity counter (or the clock), keeps running
// statistics of activity or rest, and at period boundaries (or continuously)
// tests them against thresholds. A rule whose thresholds are met is "fired"
// and carries a message for the main window to show.
//
// Five rules are built in (indices 0..4); more come from the optional rule file
// "MVRMsgs.dat", a text file of [sections] with key=value lines.

#include "movaro/TraceTypes.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Message kinds: the dialog style a fired rule asks for.
using TMsgStatRecType = uint8_t;
constexpr TMsgStatRecType msrtNone = 0;
constexpr TMsgStatRecType msrtInformation = 1;
constexpr TMsgStatRecType msrtQuestion = 2;
constexpr TMsgStatRecType msrtWarning = 3;
constexpr TMsgStatRecType msrtOk = 4;

// Indices of the statistics (and of the conditions tested against them).
enum TTraceStat : int {
  tsLast = 0,        // counter reading at the latest tick; time traced since the reset
  tsTotal = 1,       // activity (or rest) accumulated since the reset
  tsRun = 2,         // the current run
  tsMinCountRun = 3, // the run with the fewest events
  tsMaxCountRun = 4, // the run with the most events
  tsShortestRun = 5,
  tsLongestRun = 6,
};
constexpr int kTraceStatCount = 7;

struct TTraceMsgStats {
  TTraceType Kind = ttTime;
  TTraceCount Stats[kTraceStatCount];
  bool TraceInput = true;        // true: runs of activity; false: runs of rest
  TDateTime TraceTimeout = 0;    // without a period: longest collection; 0 = none
  TDateTime TracePeriod = 0;     // 0 = evaluated continuously
  TTraceCount TracePeriodRef;    // periods are counted from TracePeriodRef.Time
  TTraceCount Conditions[kTraceStatCount];
  bool CondUsed[kTraceStatCount] = {};
  bool CondBelow[kTraceStatCount] = {};
  TDateTime MsgTimeout = 0;      // window after a boundary; how long a firing lasts
};

struct TMsgStatRec {
  TMsgStatRecType Kind = msrtNone;
  std::string StatusLstLbl;
  TTraceMsgStats TraceMsgStats;
  bool Evaluated = false;
  TDateTime ShowUntil = 0; // absolute; 0 when not fired
  std::string MsgText;
  bool Fired = false;
};

using TRuleList = std::vector<TMsgStatRec>;

// What the caller supplies when the rules are built.
struct TRuleSetup {
  std::string ShortBreakText;  // main text 17, the message of rule 3
  std::string LongBreakText;   // main text 18, the message of rule 4
  std::string RuleFilePath;    // "MVRMsgs.dat" in the program folder; empty: none
  // The user's regional settings the file's date-times are read with; none:
  // ISO dates and 24-hour times.
  const ILocale *Locale = nullptr;
  // The Traces page list: cleared, then one label per rule in list order.
  std::vector<std::string> *TracesStatusLst = nullptr;
};

// Statistics as after a reset, with Last = (counterReading, 0).
void ResetStats(TTraceMsgStats &stats, uint32_t counterReading);

// Adds the five built-in rules, then those of the rule file, to rules, and
// their labels to the Traces list; the rule file is read through the file
// system. now: wall clock; tickCount: milliseconds since the system started
// (for period references counted from system start). Never fails: a broken
// file keeps the rules read so far, an unreadable one adds none.
void BuildRules(TRuleList &rules, const TRuleSetup &setup, TFileSystem &files, TDateTime now,
                uint32_t tickCount);

// Rule file text, split into lines as text files are read ("\n" or "\r\n").
std::vector<std::string_view> SplitRuleFileLines(std::string_view text);
// The body lines of the section "[name]" (empty when there is none).
std::vector<std::string_view> RuleFileSection(std::string_view name,
                                              const std::vector<std::string_view> &lines);
// The value of key in a section body; empty when missing.
std::string_view RuleFileValue(std::string_view key, const std::vector<std::string_view> &body);
// Adds the rules of a whole rule file's text (see BuildRules for the times),
// its date-times read with the given regional formats.
void AddRulesFromText(TRuleList &rules, std::string_view text, const TLocaleFormats &formats,
                      TDateTime now, uint32_t tickCount);

// One evaluation step of one rule at a trace tick: counterReading is the
// rule's counter now, tickDays the tick length in days.
void EvaluateRule(TMsgStatRec &rule, uint32_t counterReading, TDateTime now, TDateTime tickDays);
// The OR over the used conditions.
bool ConditionsMet(const TTraceMsgStats &stats);
