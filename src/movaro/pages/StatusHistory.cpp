#include "movaro/pages/StatusHistory.h"

#include "base/DateTime.h"
#include "data/text/DateTimeFormat.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

// The series' colours: the status page's link blue, and its gauges' lime and red.
constexpr uint32_t kWorkedColor = 0xA05A28;
constexpr uint32_t kBreaksColor = 0x52CC84;
constexpr uint32_t kRiskColor = 0x404CD6;
// The hours axis grows in steps of this many hours, up to a whole day.
constexpr int kHoursStep = 4;

// The number of the first text in the language file; the others follow in
// the order of THistoryTexts.
constexpr int32_t kFirstHistoryText = 13430;

// The text with "%1", "%2" ... replaced by the arguments.
std::string WithArguments(const std::string &pattern, const std::vector<std::string> &arguments) {
  std::string result;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (pattern[i] == '%' && next >= '1' && next < '1' + static_cast<int>(arguments.size())) {
      result += arguments[next - '1'];
      ++i;
    } else {
      result += pattern[i];
    }
  }
  return result;
}

std::string DateText(int32_t date, const std::string &picture, const TLocaleFormats &formats) {
  TDateTimeParts parts;
  if (!DecodeDateTime(date, parts))
    return {};
  return FormatDateTimePicture(picture, parts, formats);
}

std::string HoursAndMinutes(int32_t seconds) {
  const int32_t minutes = std::max(0, seconds) / 60;
  const int32_t rest = minutes % 60;
  return std::to_string(minutes / 60) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

// Wide enough for any two counts a damaged file may hold.
int64_t Prompted(const TDayRecord &day) { return int64_t{day.ShortPrompts} + day.LongPrompts; }

double BreaksTakenPercent(const TDayRecord &day) {
  const int64_t prompted = Prompted(day);
  if (prompted <= 0)
    return kChartGap;
  return std::min(100.0, 100.0 * std::max(0, day.RestedThrough) / static_cast<double>(prompted));
}

} // namespace

std::string DayMonthPicture(const std::string &shortDate) {
  auto isYear = [](char c) { return c == 'y' || c == 'Y'; };
  auto isSeparator = [](char c) {
    return !std::isalpha(static_cast<unsigned char>(c)) && c != '\'';
  };
  size_t start = std::string::npos;
  bool quoted = false;
  for (size_t i = 0; i < shortDate.size() && start == std::string::npos; ++i) {
    if (shortDate[i] == '\'')
      quoted = !quoted;
    else if (!quoted && isYear(shortDate[i]))
      start = i;
  }
  if (start == std::string::npos)
    return shortDate;
  size_t end = start;
  while (end < shortDate.size() && isYear(shortDate[end]))
    ++end;
  if (start == 0)
    while (end < shortDate.size() && isSeparator(shortDate[end]))
      ++end;
  else
    while (start > 0 && isSeparator(shortDate[start - 1]))
      --start;
  const std::string rest = shortDate.substr(0, start) + shortDate.substr(end);
  return rest.empty() ? "d" : rest;
}

THistoryTexts TranslatedHistoryTexts(
    const std::function<std::string(int32_t number, const std::string &english)> &translate) {
  THistoryTexts texts;
  std::string *const slots[] = {&texts.WorkedLegend, &texts.BreaksLegend, &texts.RiskLegend,
                                &texts.HoursAxis,    &texts.PercentAxis,  &texts.NoRecord,
                                &texts.Worked,       &texts.Breaks,       &texts.NoPrompts,
                                &texts.Risk,         &texts.LeftOut};
  int32_t number = kFirstHistoryText;
  for (std::string *slot : slots)
    *slot = translate(number++, *slot);
  return texts;
}

std::string HistoryDayText(int32_t date, const TDayRecord *record, const THistoryTexts &texts,
                           const TLocaleFormats &formats) {
  const std::string day = DateText(date, "ddd " + formats.ShortDate, formats);
  if (!record)
    return WithArguments(texts.NoRecord, {day});
  std::string words = WithArguments(texts.Worked, {day, HoursAndMinutes(record->Worked)});
  words += ", ";
  words += Prompted(*record) > 0
               ? WithArguments(texts.Breaks, {std::to_string(std::max(0, record->RestedThrough)),
                                              std::to_string(Prompted(*record))})
               : texts.NoPrompts;
  if (record->RiskIndex >= 0)
    words += ", " + WithArguments(texts.Risk, {std::to_string(record->RiskIndex)});
  return words;
}

std::string HistoryLeftOutText(int32_t damagedLines, const THistoryTexts &texts) {
  return damagedLines > 0 ? WithArguments(texts.LeftOut, {std::to_string(damagedLines)}) : std::string();
}

TChartData HistoryChartData(const std::vector<TDayRecord> &days, int32_t today, int dayCount,
                            const THistoryTexts &texts, const TLocaleFormats &formats) {
  TChartData data;
  const int count = std::max(0, dayCount);
  TChartSeries worked{texts.WorkedLegend, TChartSeriesKind::skBars, kWorkedColor, false, {}};
  TChartSeries breaks{texts.BreaksLegend, TChartSeriesKind::skBars, kBreaksColor, true, {}};
  TChartSeries risk{texts.RiskLegend, TChartSeriesKind::skLine, kRiskColor, true, {}};
  const std::string labelPicture = DayMonthPicture(formats.ShortDate);
  const int32_t first = today - count + 1;
  auto day = std::lower_bound(days.begin(), days.end(), first,
                              [](const TDayRecord &d, int32_t date) { return d.Date < date; });
  double mostHours = 0;
  for (int32_t date = first; date <= today; ++date) {
    while (day != days.end() && day->Date < date)
      ++day;
    const TDayRecord *record = day != days.end() && day->Date == date ? &*day : nullptr;
    data.SlotLabels.push_back(DateText(date, labelPicture, formats));
    data.SlotDescriptions.push_back(HistoryDayText(date, record, texts, formats));
    const double hours = record ? std::max(0, record->Worked) / 3600.0 : kChartGap;
    worked.Values.push_back(hours);
    breaks.Values.push_back(record ? BreaksTakenPercent(*record) : kChartGap);
    risk.Values.push_back(record && record->RiskIndex >= 0 ? std::min(100, record->RiskIndex)
                                                           : kChartGap);
    if (record)
      mostHours = std::max(mostHours, hours);
  }
  const int top = std::clamp(static_cast<int>(std::ceil(mostHours / kHoursStep)) * kHoursStep,
                             kHoursStep, 24);
  data.Left = {texts.HoursAxis, static_cast<double>(top), 4};
  data.Right = {texts.PercentAxis, 100, 4};
  data.Series = {std::move(worked), std::move(breaks), std::move(risk)};
  return data;
}
