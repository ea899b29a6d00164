#include "protocol/DayRecords.h"

#include "base/AnsiText.h"
#include "base/DateTime.h"

#include <algorithm>
#include <cstdio>

const std::array<const char *, kDayRecordFieldCount> kDayRecordFieldNames = {
    "measured", "worked", "rested", "longest_worked", "keystrokes", "mouse_moves",
    "clicks", "wheel", "short_prompts", "long_prompts", "rested_through", "blocked_breaks",
    "questions_answered", "gauge1", "gauge2", "gauge3", "gauge4", "gauge5", "gauge6",
    "gauge7", "gauge8", "gauge9", "gauge10", "risk_index"};

namespace {

constexpr char kSpanMark[] = "..";

// Digits only (a percent figure may also be -1), within int32_t.
bool ParseFigure(std::string_view text, bool percent, int32_t &value) {
  if (percent && text == "-1") {
    value = -1;
    return true;
  }
  int64_t number = 0;
  if (!DigitsToNumber(text, percent ? 100 : INT32_MAX, number))
    return false;
  value = static_cast<int32_t>(number);
  return true;
}

bool ParseDigits(std::string_view text, int &value) {
  int64_t number = 0;
  if (!DigitsToNumber(text, INT32_MAX, number))
    return false;
  value = static_cast<int>(number);
  return true;
}

} // namespace

std::array<int32_t *, kDayRecordFieldCount> DayRecordFields(TDayRecord &r) {
  std::array<int32_t *, kDayRecordFieldCount> fields{
      &r.Measured,      &r.Worked,        &r.Rested,           &r.LongestWorked, &r.Keystrokes,
      &r.MouseMoves,    &r.Clicks,        &r.WheelTurns,       &r.ShortPrompts,  &r.LongPrompts,
      &r.RestedThrough, &r.BlockedBreaks, &r.QuestionsAnswered};
  for (int k = 0; k < kQuestionnaireCount; ++k)
    fields[kFirstPercentField + k] = &r.Gauges[k];
  fields[kDayRecordFieldCount - 1] = &r.RiskIndex;
  return fields;
}

std::array<int32_t, kDayRecordFieldCount> DayRecordValues(const TDayRecord &record) {
  TDayRecord copy = record;
  std::array<int32_t, kDayRecordFieldCount> values{};
  const auto fields = DayRecordFields(copy);
  for (int i = 0; i < kDayRecordFieldCount; ++i)
    values[i] = *fields[i];
  return values;
}

std::string DayRecordDate(int32_t date) {
  TDateTimeParts parts;
  if (!DecodeDateTime(date, parts))
    return "0000-00-00";
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", parts.Year, parts.Month, parts.Day);
  return text;
}

bool ParseDayRecordDate(std::string_view text, int32_t &date) {
  int year = 0, month = 0, day = 0;
  TDateTime value = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !ParseDigits(text.substr(0, 4), year) ||
      !ParseDigits(text.substr(5, 2), month) || !ParseDigits(text.substr(8, 2), day) ||
      !EncodeDate(year, month, day, value))
    return false;
  date = static_cast<int32_t>(value);
  return true;
}

std::string DayRecordFieldsText(const TDayRecord &record) {
  std::string text = DayRecordDate(record.Date);
  for (int32_t value : DayRecordValues(record))
    text += "," + std::to_string(value);
  return text;
}

bool ParseDayRecordFieldsText(std::string_view text, TDayRecord &record) {
  if (text.size() > kMaxDayRecordTextLength)
    return false;
  std::vector<std::string_view> parts;
  for (std::string_view rest = text;;) {
    const size_t comma = rest.find(',');
    parts.push_back(rest.substr(0, comma));
    if (comma == std::string_view::npos)
      break;
    rest.remove_prefix(comma + 1);
  }
  TDayRecord read;
  if (parts.size() < 1 + kDayRecordFieldCount || !ParseDayRecordDate(parts[0], read.Date))
    return false;
  const auto fields = DayRecordFields(read);
  for (int i = 0; i < kDayRecordFieldCount; ++i)
    if (!ParseFigure(parts[1 + i], i >= kFirstPercentField, *fields[i]))
      return false;
  record = read;
  return true;
}

TDaySpans DaySpansOf(std::vector<int32_t> dates) {
  std::sort(dates.begin(), dates.end());
  TDaySpans spans;
  for (int32_t date : dates) {
    if (!spans.empty() && date <= spans.back().Last + 1)
      spans.back().Last = std::max(spans.back().Last, date);
    else
      spans.push_back({date, date});
  }
  return spans;
}

bool InDaySpans(const TDaySpans &spans, int32_t date) {
  auto after = std::upper_bound(spans.begin(), spans.end(), date,
                                [](int32_t d, const TDaySpan &span) { return d < span.First; });
  return after != spans.begin() && date <= std::prev(after)->Last;
}

std::string DaySpansText(const TDaySpans &spans) {
  std::string text;
  for (const TDaySpan &span : spans) {
    if (!text.empty())
      text += ',';
    text += DayRecordDate(span.First);
    if (span.Last != span.First)
      text += kSpanMark + DayRecordDate(span.Last);
  }
  return text;
}

bool ParseDaySpans(std::string_view text, TDaySpans &spans) {
  TDaySpans read;
  while (!text.empty()) {
    const size_t comma = text.find(',');
    std::string_view item = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    if (comma != std::string_view::npos && text.empty())
      return false; // a trailing comma
    const size_t mark = item.find(kSpanMark);
    TDaySpan span;
    if (!ParseDayRecordDate(item.substr(0, mark), span.First))
      return false;
    span.Last = span.First;
    if (mark != std::string_view::npos &&
        (!ParseDayRecordDate(item.substr(mark + 2), span.Last) || span.Last <= span.First))
      return false;
    // Ascending and apart, so that each date is found by one search.
    if ((!read.empty() && span.First <= read.back().Last + 1) || read.size() == kMaxHistoryDays)
      return false;
    read.push_back(span);
  }
  spans = std::move(read);
  return true;
}
