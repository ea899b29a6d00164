#pragma once
// The day record (protocol/DayRecords.h) and the history file that keeps one
// per day.
//
// The history file lies beside the profile file, one per user
// ("<user name>.history"), a text line per record:
//   1,2026-12-11,28800,21000,...,57*89ABCDEF
// the version, the record's text, then "*" and the CRC-32 of everything
// before it in hex. A line that does not check out (torn by a crash, damaged
// on the disk, edited) is skipped and counted; the other days stay.
//
// A write appends the day's line, and of several lines of one date the last
// one counts: today's earlier line stays whole until the new one is, so a
// crash leaves the old record of the day or the new one, and the earlier
// days are never touched. The file is written whole under a temporary name
// and renamed over the old one (again old or new after a crash) only when it
// holds kMaxStaleLines lines a later one replaced, a damaged line, or more
// than kMaxHistoryDays days (the oldest are dropped then).

#include "movaro/TraceEngine.h"
#include "platform/FileSystem.h"
#include "protocol/DayRecords.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int kDayRecordVersion = 1;
// A file larger than this is read only this far (its last line then fails
// its check); no history written here comes near it (a line is at most some
// 150 bytes).
constexpr int64_t kMaxHistoryFileBytes = 4 * 1024 * 1024;
// Replaced lines a file may hold before it is written whole again.
constexpr int32_t kMaxStaleLines = 64;

// The day the trace state measures (the date of its start), its figures and
// the gauges of the message history.
TDayRecord TakeDayRecord(const TTraceState &trace, const std::vector<std::string> &messageHistory);
// Whether the record holds anything measured at all.
bool DayRecordEmpty(const TDayRecord &record);
// An earlier monitoring session of the same day and a later one: counts and
// times added, the longest stretch the longer, the gauges the later ones
// where it has them.
TDayRecord CombineDays(const TDayRecord &earlier, const TDayRecord &later);

// "date=2026-12-11 measured=28800 ..." for reports.
std::string DayRecordText(const TDayRecord &record);
// One line of the file, without its line end.
std::string DayRecordLine(const TDayRecord &record);
// False for a line that does not check out.
bool ParseDayRecordLine(std::string_view line, TDayRecord &record);

struct TDayHistory {
  std::vector<TDayRecord> Days; // in date order, one per date
  int32_t DamagedLines = 0;     // skipped as unreadable
  int32_t StaleLines = 0;       // replaced by a later line of the same date
  bool Unreadable = false;      // the file exists but could not be read
};
TDayHistory ParseDayHistory(std::string_view text);
// A missing file is an empty history.
TDayHistory ReadDayHistory(TFileSystem &fs, const std::string &path);
// Puts the record in (in place of its date's) as described above; a record
// the file holds already is not written again. False when the file could not
// be written; what it held stays. leftOut, when given, is set to the damaged
// lines the write dropped (they are gone from the file after it).
bool WriteDayHistory(TFileSystem &fs, const std::string &path, const TDayRecord &record,
                     int32_t *leftOut = nullptr);
// Adds the days whose dates the file lacks (the server's), keeping the file's
// own; the file is written whole once when any was added. False when it
// could not be read or written. leftOut as for WriteDayHistory.
bool AddMissingDays(TFileSystem &fs, const std::string &path, const std::vector<TDayRecord> &days,
                    int32_t *leftOut = nullptr);

// A text as a part of a file name: each character a name cannot hold
// (\ / : * ? " < > |, control characters) becomes "_", and dots and spaces at
// its end go.
std::string FileNamePart(const std::string &text);

// The user's history file in the folder of the profile file, the user name
// made a FileNamePart ("_" when nothing is left of it). Empty when the
// profile file has no folder (nothing is kept then).
std::string DayHistoryFile(const std::string &profileFile, const std::string &userName);
