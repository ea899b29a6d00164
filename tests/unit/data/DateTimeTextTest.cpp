#include "data/text/DateTimeText.h"
#include "data/text/DateTimeFormat.h"
#include "platform/headless/HeadlessLocale.h"

#include <gtest/gtest.h>

namespace {

TLocaleFormats Formats(const char *shortDate, const char *longTime) {
  TLocaleFormats f = THeadlessLocale::DefaultFormats();
  f.ShortDate = shortDate;
  f.LongTime = longTime;
  return f;
}

TDateTime Date(int year, int month, int day) {
  TDateTime date = 0;
  EXPECT_TRUE(EncodeDate(year, month, day, date));
  return date;
}

} // namespace

TEST(DateTimeText, TimesDatesAndBoth) {
  const TLocaleFormats iso = THeadlessLocale::DefaultFormats();
  TDateTime value = -1;
  ASSERT_TRUE(TextToDateTime("0:05:00", iso, value));
  EXPECT_DOUBLE_EQ(value * 86400, 300);
  ASSERT_TRUE(TextToDateTime(" 1:00 ", iso, value));
  EXPECT_DOUBLE_EQ(value * 24, 1);
  ASSERT_TRUE(TextToDateTime("0:00:01.5", iso, value));
  EXPECT_DOUBLE_EQ(value * 86400, 1.5);
  ASSERT_TRUE(TextToDateTime("2026-12-09", iso, value));
  EXPECT_EQ(value, Date(2026, 12, 9));
  ASSERT_TRUE(TextToDateTime("2026-12-09  18:00:00", iso, value));
  EXPECT_DOUBLE_EQ(value, Date(2026, 12, 9) + 0.75);
}

// The same text is a different day under a day-first and a month-first
// locale; 12-hour times, two-digit years and month names read as written.
TEST(DateTimeText, FollowsTheLocalesOrderSeparatorsAndDesignators) {
  const TLocaleFormats dayFirst = Formats("dd/MM/yyyy", "HH:mm:ss");
  TLocaleFormats monthFirst = Formats("M/d/yy", "h:mm:ss tt");
  TLocaleFormats german = Formats("dd.MM.yyyy", "HH:mm:ss");
  german.AmDesignator = german.PmDesignator = "";
  TLocaleFormats finnish = Formats("d.M.yyyy", "H.mm.ss");
  const TLocaleFormats named = Formats("dd-MMM-yy", "HH:mm:ss");
  struct {
    const TLocaleFormats &formats;
    const char *text;
    TDateTime expected;
  } cases[] = {
      {dayFirst, "01/02/2024", Date(2024, 2, 1)},
      {dayFirst, "29/02/2024 13:05:09", Date(2024, 2, 29) + (13 * 3600 + 5 * 60 + 9) / 86400.0},
      {monthFirst, "01/02/2024", Date(2024, 1, 2)},
      {monthFirst, "2/29/24 1:05:09 PM", Date(2024, 2, 29) + (13 * 3600 + 5 * 60 + 9) / 86400.0},
      {monthFirst, "12:30 am", 0.5 / 24},
      {monthFirst, "12:00:00 PM", 0.5},
      {monthFirst, "7/4/76", Date(1976, 7, 4)},
      {german, "9.12.2026 18:00", Date(2026, 12, 9) + 0.75},
      {finnish, "9.12.2026 18.00.00", Date(2026, 12, 9) + 0.75},
      {finnish, "0.05.00", 5 / 1440.0},
      {finnish, "0:05:00", 5 / 1440.0},
      {named, "29-feb-24", Date(2024, 2, 29)},
      {dayFirst, "2026-12-09", Date(2026, 12, 9)}, // ISO under every locale
  };
  for (const auto &c : cases) {
    TDateTime value = -1;
    ASSERT_TRUE(TextToDateTime(c.text, c.formats, value)) << c.text;
    EXPECT_NEAR(value, c.expected, 1e-9) << c.text;
  }
  // What the registry writes under a 12-hour locale reads back the same.
  TDateTimeParts parts;
  ASSERT_TRUE(DecodeDateTime(Date(2024, 2, 29) + 0.75, parts));
  const std::string written = FormatDateTimePicture(monthFirst.ShortDate, parts, monthFirst) + " " +
                              FormatDateTimePicture(monthFirst.LongTime, parts, monthFirst);
  TDateTime value;
  ASSERT_TRUE(TextToDateTime(written, monthFirst, value)) << written;
  EXPECT_NEAR(value, Date(2024, 2, 29) + 0.75, 1e-9);
  monthFirst.TwoDigitYearMax = 2029;
  ASSERT_TRUE(TextToDateTime("1/1/30", monthFirst, value));
  EXPECT_EQ(value, Date(1930, 1, 1));
}

TEST(DateTimeText, RejectsEverythingElse) {
  const TLocaleFormats iso = THeadlessLocale::DefaultFormats();
  const TLocaleFormats monthFirst = Formats("M/d/yyyy", "h:mm:ss tt");
  TDateTime value = 7;
  for (const char *text : {"", "  ", "0:60:00", "24:00:00", "1:2:3:4", "1", "x", "2026-02-30",
                           "2026-12-09x", "0:00:00.1234", ":05", "0:05:", "9.12.2026"})
    EXPECT_FALSE(TextToDateTime(text, iso, value)) << text;
  for (const char *text : {"13/1/2024", "12/9/2026 25:00", "13:00 PM", "1:00 XM", "1/2"})
    EXPECT_FALSE(TextToDateTime(text, monthFirst, value)) << text;
  EXPECT_EQ(value, 7);
}
