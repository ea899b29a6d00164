#include "base/AnsiText.h"

#include <gtest/gtest.h>

// Numbers come from ini files, registry values and request lines: anything
// but a whole number in range must leave the value as it was.
TEST(AnsiTextTest, NumbersAreReadWholeAndInRangeOrNotAtAll) {
  struct Case {
    const char *text;
    bool read;
    int32_t value;
  };
  const Case cases[] = {{"0", true, 0},
                        {"+17", true, 17},
                        {"-2147483648", true, INT32_MIN},
                        {"2147483647", true, INT32_MAX},
                        {"2147483648", false, 5},
                        {"-2147483649", false, 5},
                        {"99999999999999999999", false, 5},
                        {"", false, 5},
                        {"-", false, 5},
                        {"12a", false, 5},
                        {" 1", false, 5}};
  for (const Case &c : cases) {
    int32_t value = 5;
    EXPECT_EQ(TextToInt32(c.text, value), c.read) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
  int64_t number = 7;
  EXPECT_TRUE(DigitsToNumber("100", 100, number));
  EXPECT_EQ(number, 100);
  EXPECT_FALSE(DigitsToNumber("101", 100, number));
  EXPECT_FALSE(DigitsToNumber("+1", 100, number));
  EXPECT_EQ(number, 100);
}
