#pragma once
// The day record and the history file that keeps one per day.
//
// The history file lies beside the profile file, one per user
// ("<user name>.history"), a text line per day in date order:
//   1,2026-12-11,28800,21000,...,57*89ABCDEF
// the version, the date, the figures in the order of kDayRecordFieldNames,
// then "*" and the CRC-32 of everything before it in hex. A later version
// may add fields after these; this one reads the fields it knows. A line that
// does not check out (torn by a crash, damaged on the disk, edited) is
// skipped and counted; the other days stay. The file is written whole under
// a temporary name and renamed over the old one, so a crash leaves the old
// file or the new one. It keeps at most kMaxHistoryDays days: past that the
// oldest days are dropped at the next write.

#include "movaro/TraceEngine.h"
#include "platform/FileSystem.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// About ten years; a line is at most some 150 bytes, so the file stays
// within about half a megabyte.
constexpr size_t kMaxHistoryDays = 3660;
constexpr int kDayRecordVersion = 1;
constexpr int kQuestionnaireCount = 10;
// A file larger than this is read only this far (its last line then fails
// its check); no history written here comes near it.
constexpr int64_t kMaxHistoryFileBytes = 4 * 1024 * 1024;

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

// The figures after the date, in the order a line holds them.
constexpr int kDayRecordFieldCount = 13 + kQuestionnaireCount + 1;
extern const std::array<const char *, kDayRecordFieldCount> kDayRecordFieldNames;
std::array<int32_t, kDayRecordFieldCount> DayRecordValues(const TDayRecord &record);

// The day the trace state measures (the date of its start), its figures and
// the gauges of the message history.
TDayRecord TakeDayRecord(const TTraceState &trace, const std::vector<std::string> &messageHistory);
// Whether the record holds anything measured at all.
bool DayRecordEmpty(const TDayRecord &record);
// An earlier monitoring session of the same day and a later one: counts and
// times added, the longest stretch the longer, the gauges the later ones
// where it has them.
TDayRecord CombineDays(const TDayRecord &earlier, const TDayRecord &later);

// A record's date as yyyy-mm-dd ("0000-00-00" for none a calendar has).
std::string DayRecordDate(int32_t date);
// "date=2026-12-11 measured=28800 ..." for reports.
std::string DayRecordText(const TDayRecord &record);
// One line of the file, without its line end.
std::string DayRecordLine(const TDayRecord &record);
// False for a line that does not check out.
bool ParseDayRecordLine(std::string_view line, TDayRecord &record);

struct TDayHistory {
  std::vector<TDayRecord> Days; // in date order, one per date
  int32_t DamagedLines = 0;     // skipped as unreadable
  bool Unreadable = false;      // the file exists but could not be read
};
TDayHistory ParseDayHistory(std::string_view text);
// A missing file is an empty history.
TDayHistory ReadDayHistory(TFileSystem &fs, const std::string &path);
// Puts the record in (replacing the line of its date), drops the oldest days
// past the bound and writes the file crash-safe. False when the file could
// not be written; the old file then stays as it was.
bool WriteDayHistory(TFileSystem &fs, const std::string &path, const TDayRecord &record);

// The user's history file in the folder of the profile file; characters a
// file name may not hold become "_". Empty when the profile file has no
// folder (nothing is kept then).
std::string DayHistoryFile(const std::string &profileFile, const std::string &userName);
