#pragma once
// The status page's history: the user's day records of the last 7, 30 or 90
// days as its chart shows them (a bar a day of the time worked and of the
// share of the prompted breaks the user rested through, the risk index as a
// line; a day without a record is a gap in every series, a day without a
// prompt or a score one in that series), and a day's figures in words.

#include "movaro/profile/DayHistory.h"
#include "platform/Locale.h"
#include "ui/kit/Chart.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The status page's views, as its choice lists them: today's figures, then
// the days up to today.
constexpr std::array<int, 4> kHistoryViewDays = {0, 7, 30, 90};

// The legend, the axes' titles and the patterns of a day's words ("%1" the
// first argument ...), in the user's language.
struct THistoryTexts {
  std::string WorkedLegend = "Time worked (h)", BreaksLegend = "Breaks taken (%)",
              RiskLegend = "Risk index (%)";
  std::string HoursAxis = "Hours", PercentAxis = "Per cent";
  std::string NoRecord = "%1: no record", Worked = "%1: %2 h worked",
              Breaks = "%1 of %2 prompted breaks taken", NoPrompts = "no break prompted",
              Risk = "risk index %1 %";
  std::string LeftOut = "Damaged lines of your history file left out: %1";
};
// Each text looked up by its number in the language file's main window
// table (translate gives the English one when the file has none).
THistoryTexts TranslatedHistoryTexts(
    const std::function<std::string(int32_t number, const std::string &english)> &translate);

// The chart's data for the dayCount days that end with today; days in date
// order, one a date (as the history file gives them).
TChartData HistoryChartData(const std::vector<TDayRecord> &days, int32_t today, int dayCount,
                            const THistoryTexts &texts, const TLocaleFormats &formats);

// A day's figures in words: "Tue 2026-12-08: 6:05 h worked, 4 of 6 prompted
// breaks taken, risk index 35 %"; record is none for a day without one.
std::string HistoryDayText(int32_t date, const TDayRecord *record, const THistoryTexts &texts,
                           const TLocaleFormats &formats);
// The line that tells of damaged lines left out of the history; empty for none.
std::string HistoryLeftOutText(int32_t damagedLines, const THistoryTexts &texts);

// A short date picture without its year and the separator beside it
// ("M/d/yyyy": "M/d", "yyyy-MM-dd": "MM-dd").
std::string DayMonthPicture(const std::string &shortDate);
