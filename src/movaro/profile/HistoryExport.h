#pragma once
// The day history as a CSV file that the user's spreadsheet program opens
// as it is: a header row with the column names in the user's language, then
// one row per day in date order, the date as yyyy-mm-dd and every figure a
// plain integer (no thousands separator, times in seconds, gauges in per
// cent; a gauge with nothing to score is an empty cell), the cells split by
// the locale's list separator, CR LF after every row. A name that holds the
// separator, a quote or a line break is quoted, its quotes doubled.

#include "movaro/profile/DayHistory.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

// The columns: the date, then the figures in the order of kDayRecordFieldNames.
constexpr int kHistoryColumnCount = 1 + kDayRecordFieldCount;

// Where each column's name comes from in the language file's main window
// table: its own text, or the status page's label of the same figure
// (a gauge's name, followed by " (%)").
struct THistoryColumnText {
  int32_t Number;
  const char *English;
  bool Percent;
};
extern const std::array<THistoryColumnText, kHistoryColumnCount> kHistoryColumnTexts;

// The column names, each text looked up by its number (translate gives the
// English one when the language file has none).
std::vector<std::string> HistoryCsvHeader(
    const std::function<std::string(int32_t number, const std::string &english)> &translate);

// The cell separator for a locale's list separator: its first character,
// or a comma when that cannot split cells (none, a letter or digit, a
// sign, a quote, a line break, a character beyond ASCII).
char CsvSeparator(const std::string &listSeparator);

// The name the save dialog offers first: "Movaro <user name>.csv", the user
// name made a FileNamePart (DayHistory.h); "Movaro.csv" when nothing is left
// of it.
std::string HistoryExportFileName(const std::string &userName);

// The whole file. header holds the column names (missing ones are empty).
std::string DayHistoryCsv(const std::vector<TDayRecord> &days,
                          const std::vector<std::string> &header, char separator);
