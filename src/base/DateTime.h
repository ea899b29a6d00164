#pragma once
// Date-time values as the whole system keeps them: a double counting days since
// 1899-12-30, the fraction being the time of day. Durations and periods are
// fractions of a day (seconds / 86400).
//
// Values before the epoch follow the same convention as after it: the whole
// part (rounded towards zero) is the day, and the fraction's magnitude is the
// time of that day, so -1.25 is 1899-12-29 06:00.

#include <cstdint>

using TDateTime = double;

constexpr double kSecondsPerDay = 86400.0;
constexpr double kMillisecondsPerDay = 86400000.0;

struct TDateTimeParts {
  int Year = 1899, Month = 12, Day = 30; // Month 1..12, Day 1..31
  int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
  int DayOfWeek = 7; // 1 = Sunday .. 7 = Saturday
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month); // 0 for a month outside 1..12

// False (and the result untouched) for a date outside 1..9999 or an impossible
// day or time.
bool EncodeDate(int year, int month, int day, TDateTime &result);
bool EncodeTime(int hour, int minute, int second, int millisecond, TDateTime &result);
bool EncodeDateTime(const TDateTimeParts &parts, TDateTime &result);

// Splits a value into calendar parts, the time rounded to the millisecond.
// False for values outside years 1..9999 or not finite; parts are then untouched.
bool DecodeDateTime(TDateTime value, TDateTimeParts &parts);

// A duration in whole milliseconds, the resolution of the clock, kept within
// +-1e8 days. Durations summed tick by tick drift from the true total (ten
// 1-second ticks add up to a hair under 10 s), so they are compared this way.
int64_t DurationMilliseconds(TDateTime days);

// Whole days since 1899-12-30 of a value (the date part, towards zero).
int64_t DatePart(TDateTime value);
