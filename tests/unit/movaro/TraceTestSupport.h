#pragma once
#include "base/DateTime.h"

#include <gtest/gtest.h>

inline TDateTime At(int year, int month, int day, int hour, int minute, int second) {
  TDateTimeParts parts;
  parts.Year = year, parts.Month = month, parts.Day = day;
  parts.Hour = hour, parts.Minute = minute, parts.Second = second;
  TDateTime value = 0;
  EXPECT_TRUE(EncodeDateTime(parts, value));
  return value;
}

inline double ToSeconds(TDateTime days) { return days * kSecondsPerDay; }
