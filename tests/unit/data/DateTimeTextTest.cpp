#include "data/text/DateTimeText.h"

#include <gtest/gtest.h>

TEST(DateTimeText, TimesDatesAndBoth) {
  TDateTime value = -1;
  ASSERT_TRUE(TextToDateTime("0:05:00", value));
  EXPECT_DOUBLE_EQ(value * 86400, 300);
  ASSERT_TRUE(TextToDateTime(" 1:00 ", value));
  EXPECT_DOUBLE_EQ(value * 24, 1);
  ASSERT_TRUE(TextToDateTime("0:00:01.5", value));
  EXPECT_DOUBLE_EQ(value * 86400, 1.5);
  TDateTime date;
  ASSERT_TRUE(EncodeDate(2026, 12, 9, date));
  for (const char *text : {"2026-12-09", "9.12.2026", "12/9/2026"}) {
    ASSERT_TRUE(TextToDateTime(text, value)) << text;
    EXPECT_EQ(value, date) << text;
  }
  ASSERT_TRUE(TextToDateTime("2026-12-09  18:00:00", value));
  EXPECT_DOUBLE_EQ(value, date + 0.75);
}

TEST(DateTimeText, RejectsEverythingElse) {
  TDateTime value = 7;
  for (const char *text : {"", "  ", "0:60:00", "24:00:00", "1:2:3:4", "1", "x", "2026-02-30",
                           "2026-12-09x", "0:00:00.1234", "12/9/2026 25:00", ":05", "0:05:"})
    EXPECT_FALSE(TextToDateTime(text, value)) << text;
  EXPECT_EQ(value, 7);
}
