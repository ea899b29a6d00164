#pragma once
// The day record: what one day of work measured, as the program keeps it in
// the user's history file and as it travels to and from the profile server.
// As text it is the date (yyyy-mm-dd) and the figures in the order of
// kDayRecordFieldNames, split by commas:
//   2026-12-11,28800,21000,7200,5400,12000,...,57
// Every figure is digits only; a gauge and the risk index may be -1 (nothing
// to score yet) and are at most 100. A later version may add figures after
// these: this one reads the ones it knows.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// About ten years: what the history file and the server keep of a user at
// most (the oldest days go first).
constexpr size_t kMaxHistoryDays = 3660;
// The most days one check-in carries: it stays well within the request
// size a server takes; the rest follow at the next check-ins.
constexpr size_t kMaxDaysPerCheckIn = 1000;
constexpr int kQuestionnaireCount = 10;
// A record's text from outside is refused beyond this length.
constexpr size_t kMaxDayRecordTextLength = 512;

struct TDayRecord {
  int32_t Date = 0; // whole days since 1899-12-30 (DatePart)
  // Seconds.
  int32_t Measured = 0, Worked = 0, Rested = 0, LongestWorked = 0;
  int32_t Keystrokes = 0, MouseMoves = 0, Clicks = 0, WheelTurns = 0;
  int32_t ShortPrompts = 0, LongPrompts = 0, RestedThrough = 0, BlockedBreaks = 0;
  int32_t QuestionsAnswered = 0;
  // Percentages as the status page's gauges show them; -1 while a
  // questionnaire has no answers to score.
  std::array<int32_t, kQuestionnaireCount> Gauges{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  int32_t RiskIndex = -1;
  friend bool operator==(const TDayRecord &, const TDayRecord &) = default;
};

// The figures after the date, in the order the text holds them; the gauges
// and the risk index are the last ones, from kFirstPercentField on.
constexpr int kDayRecordFieldCount = 13 + kQuestionnaireCount + 1;
constexpr int kFirstPercentField = 13;
extern const std::array<const char *, kDayRecordFieldCount> kDayRecordFieldNames;
std::array<int32_t, kDayRecordFieldCount> DayRecordValues(const TDayRecord &record);
std::array<int32_t *, kDayRecordFieldCount> DayRecordFields(TDayRecord &record);

// A record's date as yyyy-mm-dd ("0000-00-00" for none a calendar has).
std::string DayRecordDate(int32_t date);
// A real calendar date written yyyy-mm-dd; false for anything else.
bool ParseDayRecordDate(std::string_view text, int32_t &date);

std::string DayRecordFieldsText(const TDayRecord &record);
// False (record untouched) for a text that is not a record: too long, a bad
// date, a figure missing, not digits or out of its range.
bool ParseDayRecordFieldsText(std::string_view text, TDayRecord &record);

// A set of days as spans of consecutive dates, ascending and apart:
//   2026-01-01..2026-03-05,2026-03-07
// (a single day stands alone; no days at all is the empty text).
struct TDaySpan {
  int32_t First = 0, Last = 0;
  friend bool operator==(const TDaySpan &, const TDaySpan &) = default;
};
using TDaySpans = std::vector<TDaySpan>;
// The spans of dates given in any order, repeats allowed.
TDaySpans DaySpansOf(std::vector<int32_t> dates);
bool InDaySpans(const TDaySpans &spans, int32_t date);
std::string DaySpansText(const TDaySpans &spans);
// False (spans untouched) for a text that is not such a set, or one of more
// than kMaxHistoryDays spans.
bool ParseDaySpans(std::string_view text, TDaySpans &spans);
