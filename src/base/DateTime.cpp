#include "base/DateTime.h"

#include <cmath>

namespace {

// Days from 0001-01-01 to 1899-12-30.
constexpr int64_t kEpochOffset = 693593;
constexpr double kMinValue = -693593.0;            // 0001-01-01
constexpr double kMaxValue = 2958466.0;            // 10000-01-01 (exclusive)

int64_t DaysBeforeYear(int year) {
  int64_t y = year - 1;
  return y * 365 + y / 4 - y / 100 + y / 400;
}

int DaysBeforeMonth(int year, int month) {
  int days = 0;
  for (int m = 1; m < month; ++m)
    days += DaysInMonth(year, m);
  return days;
}

} // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12)
    return 0;
  return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool EncodeDate(int year, int month, int day, TDateTime &result) {
  if (year < 1 || year > 9999 || day < 1 || day > DaysInMonth(year, month))
    return false;
  int64_t days = DaysBeforeYear(year) + DaysBeforeMonth(year, month) + day - 1;
  result = static_cast<double>(days - kEpochOffset);
  return true;
}

bool EncodeTime(int hour, int minute, int second, int millisecond, TDateTime &result) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999)
    return false;
  result = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / kMillisecondsPerDay;
  return true;
}

bool EncodeDateTime(const TDateTimeParts &parts, TDateTime &result) {
  TDateTime date, time;
  if (!EncodeDate(parts.Year, parts.Month, parts.Day, date) ||
      !EncodeTime(parts.Hour, parts.Minute, parts.Second, parts.Millisecond, time))
    return false;
  // Before the epoch the time of day is added to the magnitude.
  result = date < 0 ? date - time : date + time;
  return true;
}

int64_t DatePart(TDateTime value) { return static_cast<int64_t>(std::trunc(value)); }

bool DecodeDateTime(TDateTime value, TDateTimeParts &parts) {
  if (!std::isfinite(value) || value < kMinValue - 1 || value >= kMaxValue)
    return false;
  int64_t day = DatePart(value);
  int64_t ms = std::llround(std::fabs(value - static_cast<double>(day)) * kMillisecondsPerDay);
  if (ms >= static_cast<int64_t>(kMillisecondsPerDay)) { // rounding reached midnight
    ms = 0;
    day += value < 0 ? -1 : 1;
  }
  int64_t absolute = day + kEpochOffset; // days since 0001-01-01
  if (absolute < 0 || day >= static_cast<int64_t>(kMaxValue))
    return false;
  TDateTimeParts out;
  // 400-year cycles of 146097 days, then centuries, 4-year cycles and years.
  int64_t rest = absolute;
  int year = 1 + static_cast<int>(rest / 146097) * 400;
  rest %= 146097;
  int64_t centuries = rest / 36524;
  if (centuries == 4)
    centuries = 3;
  year += static_cast<int>(centuries) * 100;
  rest -= centuries * 36524;
  year += static_cast<int>(rest / 1461) * 4;
  rest %= 1461;
  int64_t years = rest / 365;
  if (years == 4)
    years = 3;
  year += static_cast<int>(years);
  rest -= years * 365;
  int month = 1;
  while (rest >= DaysInMonth(year, month)) {
    rest -= DaysInMonth(year, month);
    ++month;
  }
  out.Year = year;
  out.Month = month;
  out.Day = static_cast<int>(rest) + 1;
  out.Hour = static_cast<int>(ms / 3600000);
  out.Minute = static_cast<int>(ms / 60000 % 60);
  out.Second = static_cast<int>(ms / 1000 % 60);
  out.Millisecond = static_cast<int>(ms % 1000);
  // 0001-01-01 was a Monday.
  out.DayOfWeek = static_cast<int>((absolute + 1) % 7) + 1;
  parts = out;
  return true;
}

int64_t DurationMilliseconds(TDateTime days) {
  constexpr double kLimit = 1.0e8; // days; far beyond any date-time
  if (!(days > -kLimit))
    days = -kLimit;
  else if (days > kLimit)
    days = kLimit;
  return std::llround(days * kMillisecondsPerDay);
}
