// The user's regional settings, read through the locale interface and
// rendered by the portable picture formatter, give the same texts as Windows'
// own date and time formatting.
#include "base/DateTime.h"
#include "data/text/DateTimeFormat.h"
#include "data/text/DateTimeText.h"
#include "platform/win32/Win32Locale.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

std::string WindowsDate(const SYSTEMTIME &st, DWORD flags) {
  char buffer[256];
  int n = GetDateFormatA(LOCALE_USER_DEFAULT, flags, &st, nullptr, buffer, sizeof buffer);
  return n > 0 ? std::string(buffer) : std::string("(failed)");
}

std::string WindowsTime(const SYSTEMTIME &st) {
  char buffer[256];
  int n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, sizeof buffer);
  return n > 0 ? std::string(buffer) : std::string("(failed)");
}

TEST(Win32Locale, FormatsAgreeWithWindows) {
  TWin32Locale locale;
  const TLocaleFormats f = locale.DateTimeFormats();
  ASSERT_FALSE(f.ShortDate.empty());
  ASSERT_FALSE(f.LongDate.empty());
  ASSERT_FALSE(f.LongTime.empty());
  ASSERT_FALSE(f.ShortTime.empty());
  EXPECT_EQ(f.ShortTime.find('s'), std::string::npos) << f.ShortTime;
  for (const auto &name : f.LongMonthNames)
    EXPECT_FALSE(name.empty());
  for (int hour : {0, 9, 13, 23}) {
    TDateTimeParts parts;
    parts.Year = 2024;
    parts.Month = 2;
    parts.Day = 29;
    parts.Hour = hour;
    parts.Minute = 5;
    parts.Second = 9;
    parts.DayOfWeek = 5; // Thursday
    SYSTEMTIME st = {};
    st.wYear = 2024;
    st.wMonth = 2;
    st.wDay = 29;
    st.wDayOfWeek = 4;
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = 5;
    st.wSecond = 9;
    EXPECT_EQ(FormatDateTimePicture(f.ShortDate, parts, f), WindowsDate(st, DATE_SHORTDATE));
    EXPECT_EQ(FormatDateTimePicture(f.LongDate, parts, f), WindowsDate(st, DATE_LONGDATE));
    EXPECT_EQ(FormatDateTimePicture(f.LongTime, parts, f), WindowsTime(st)) << f.LongTime;
    // Windows' own texts read back as the moment they were made from.
    const std::string text = WindowsDate(st, DATE_SHORTDATE) + " " + WindowsTime(st);
    TDateTime expected, value;
    ASSERT_TRUE(EncodeDateTime(parts, expected));
    ASSERT_TRUE(TextToDateTime(text, f, value)) << text;
    EXPECT_NEAR(value, expected, 1e-9) << text;
  }
  EXPECT_GE(f.TwoDigitYearMax, 2029);
}

} // namespace
