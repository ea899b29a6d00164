#include "base/DateTime.h"

#include <gtest/gtest.h>

namespace {

TDateTimeParts Decode(TDateTime value) {
  TDateTimeParts parts;
  EXPECT_TRUE(DecodeDateTime(value, parts)) << value;
  return parts;
}

TEST(DateTime, KnownDaysAndWeekdays) {
  TDateTime d = -1;
  ASSERT_TRUE(EncodeDate(1899, 12, 30, d));
  EXPECT_EQ(d, 0.0);
  ASSERT_TRUE(EncodeDate(2000, 1, 1, d));
  EXPECT_EQ(d, 36526.0);
  EXPECT_EQ(Decode(36526.0).DayOfWeek, 7); // a Saturday
  ASSERT_TRUE(EncodeDate(2024, 2, 29, d));
  EXPECT_EQ(d, 45351.0);
  ASSERT_TRUE(EncodeDate(1, 1, 1, d));
  EXPECT_EQ(d, -693593.0);
  EXPECT_FALSE(EncodeDate(2023, 2, 29, d));
  EXPECT_FALSE(EncodeDate(1900, 2, 29, d)); // century rule
  EXPECT_FALSE(EncodeDate(2024, 13, 1, d));
  EXPECT_FALSE(EncodeDate(0, 1, 1, d));
  EXPECT_FALSE(EncodeTime(24, 0, 0, 0, d));
}

TEST(DateTime, RoundTripsEveryDayOfFourCenturies) {
  for (int64_t day = -10000; day < 146097 - 10000; ++day) {
    TDateTimeParts p = Decode(static_cast<double>(day));
    TDateTime back = 0;
    ASSERT_TRUE(EncodeDate(p.Year, p.Month, p.Day, back)) << day;
    ASSERT_EQ(back, static_cast<double>(day));
  }
}

TEST(DateTime, TimeOfDayAndNegativeValues) {
  TDateTimeParts p = Decode(36526.5 + 1.0 / 86400);
  EXPECT_EQ(p.Hour, 12);
  EXPECT_EQ(p.Second, 1);
  p = Decode(-1.25);
  EXPECT_EQ(p.Day, 29);
  EXPECT_EQ(p.Hour, 6);
  // A value a hair below midnight rounds up into the next day.
  p = Decode(36526.0 - 1e-10);
  EXPECT_EQ(p.Year, 2000);
  EXPECT_EQ(p.Hour, 0);
  TDateTimeParts in{1850, 6, 15, 18, 30, 5, 250};
  TDateTime v = 0;
  ASSERT_TRUE(EncodeDateTime(in, v));
  p = Decode(v);
  EXPECT_EQ(p.Year, 1850);
  EXPECT_EQ(p.Hour, 18);
  EXPECT_EQ(p.Millisecond, 250);
  TDateTimeParts untouched;
  EXPECT_FALSE(DecodeDateTime(1e300, untouched));
  EXPECT_FALSE(DecodeDateTime(-1e9, untouched));
  EXPECT_EQ(untouched.Year, 1899);
}

} // namespace
