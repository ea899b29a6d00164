#pragma once
// The user data that travels between the program and the profile server: the
// settings and the message history, one "key=value" line each, CR LF ended.
//
//   ConfigLevel=181              support level, 1..240
//   ConfigLevelBase=15           seconds per level step, 1..255
//   ConfigWarningtype=1          0 no sound, 1 standard sound, 2 own sound file
//   ConfigWarningsoundfile=Bit   text of at most 255 characters
//   ConfigShowInSysTray=1        0 or 1
//   ConfigShortPause=60          short break period in seconds, 30..300
//   ConfigShortPauseBlock=0      0 or 1
//   ConfigLongPause=60           long break period in minutes, 30..180
//   ConfigLongPauseBlock=0       0 or 1
//   x1230001=1>45000             a history entry: its 8-character key = the
//                                count (-1..9) > the day last shown (-1..2958465)
//
// The day history (protocol/DayRecords.h) travels in lines of its own that
// programs and servers before it refuse as unknown keys and so ignore; no
// key of them is 8 characters long, the length of a history key:
//   DayRecord=2026-12-11,28800,...  one day's record; a check-in carries
//                                    the days the server lacks, a check-out's
//                                    reply the days the computer lacks
//   KnownDays=2026-01-05..2026-12-11 in a check-out: the days the computer
//                                    has (empty: none); without this line
//                                    the reply carries no days
//   StoredDays=2026-01-05..2026-12-10 in the reply to a check-out with
//                                    KnownDays: the days the server has
//
// Setting names are matched without regard to case and the first line of a
// key counts. Values from the other side are outside bytes: every one is
// checked, and one that fails its check is refused, never applied.

#include "protocol/DayRecords.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The settings as the program holds them, with their defaults.
struct TUserDataSettings {
  uint8_t ConfigLevel = 181;
  uint8_t ConfigLevelBase = 15;
  uint8_t ConfigWarningtype = 1;
  std::string ConfigWarningsoundfile = "Bit";
  bool ConfigShowInSysTray = true;
  int32_t ConfigShortPause = 60;
  bool ConfigShortPauseBlock = false;
  int32_t ConfigLongPause = 60;
  bool ConfigLongPauseBlock = false;

  friend bool operator==(const TUserDataSettings &, const TUserDataSettings &) = default;
};

// The ranges the program's controls allow; the server keeps to them too.
inline constexpr int32_t kConfigLevelMin = 1, kConfigLevelMax = 240;
inline constexpr int32_t kConfigLevelBaseMin = 1, kConfigLevelBaseMax = 255;
inline constexpr int32_t kConfigWarningtypeMax = 2;
inline constexpr int32_t kShortPauseMin = 30, kShortPauseMax = 300;
inline constexpr int32_t kLongPauseMin = 30, kLongPauseMax = 180;
inline constexpr size_t kSoundFileMaxLength = 255;
// History counts: -1 never shown, 0 or 1 for health messages, a score digit
// for questionnaire items. Days: days since 1899-12-30, up to 9999-12-31;
// -1 stands for a day that could not be read.
inline constexpr int32_t kHistoryCountMin = -1, kHistoryCountMax = 9;
inline constexpr int32_t kHistoryDayMin = -1, kHistoryDayMax = 2958465;

inline constexpr char kDayRecordKey[] = "DayRecord";
inline constexpr char kKnownDaysKey[] = "KnownDays";
inline constexpr char kStoredDaysKey[] = "StoredDays";

// One message-history entry on the wire.
struct THistoryLine {
  std::string Key; // 8 characters
  int32_t Count = -1;
  int32_t Day = 0;
};

// A message-history entry of the program is its 14-character head followed by
// the count, ">" and the day. Its key is the head's 4th character followed by
// its characters 8 to 14; empty for an entry shorter than a head.
std::string HistoryKeyOfEntry(const std::string &entry);
// The entry as a wire line: the count is the text from the 15th character up to
// the first ">", the day the text after it, each -1 when it is not a number.
THistoryLine HistoryLineOfEntry(const std::string &entry);

// A line of user data the checks refused, and why.
struct TRefusedLine {
  std::string Key;
  std::string Value;
  std::string Reason;
};

// What a text of user data lines holds after the checks: each value that
// passed (absent when its line is missing or was refused), the history in the
// order given with each key once, and the lines that were refused.
struct TUserDataRecord {
  std::optional<int32_t> ConfigLevel, ConfigLevelBase, ConfigWarningtype;
  std::optional<std::string> ConfigWarningsoundfile;
  std::optional<bool> ConfigShowInSysTray;
  std::optional<int32_t> ConfigShortPause;
  std::optional<bool> ConfigShortPauseBlock;
  std::optional<int32_t> ConfigLongPause;
  std::optional<bool> ConfigLongPauseBlock;
  std::vector<THistoryLine> History;
  std::vector<TDayRecord> Days; // in date order, one per date, at most kMaxHistoryDays
  std::optional<TDaySpans> KnownDays, StoredDays;
  std::vector<TRefusedLine> Refused;

  // No setting and no history entry (days say nothing of the settings).
  bool Empty() const;
  // True when a line of that key was refused (the key as the line gave it,
  // compared without regard to case).
  bool WasRefused(const std::string &key) const;
};

// The lines of a check-in: the nine settings in their fixed order, then one
// line per history entry, each line followed by CR LF.
std::string FormatUserDataLines(const TUserDataSettings &settings,
                                const std::vector<THistoryLine> &history);
// The lines of the values record holds, in the same order (no day lines).
std::string FormatUserDataLines(const TUserDataRecord &record);
// The day lines of record: its days in date order, then KnownDays and
// StoredDays when it has them.
std::string FormatDayLines(const TUserDataRecord &record);

// Reads and checks user data lines (lines without "=" and empty lines are
// skipped; a key that is neither a setting, a history key nor a day line is
// refused, and so is a day of a date given before or past kMaxHistoryDays).
TUserDataRecord ReadUserDataLines(const std::string &text);

// Applies the user data lines of a server's reply to the program's settings
// and message-history entries:
// - a number setting takes a value that passed its check, and otherwise keeps
//   its current value, whether the line is missing or refused;
// - the sound file takes the text, keeps its value when the text was refused
//   and becomes empty when the line is missing;
// - a switch is on exactly when its line says "1";
// - a history entry becomes its head followed by count ">" day, keeps its value
//   when its line was refused, and becomes its head followed by "-1>0" when
//   the line is missing or its value empty;
// - "ConfigLevelBase" is not read.
// Returns the record read, whose Refused lists what was not applied.
TUserDataRecord ApplyUserDataLines(const std::string &text, TUserDataSettings &settings,
                                   std::vector<std::string> &history);
