#include "movaro/pages/StatusHistory.h"

#include "unit/movaro/ProfileWorld.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TLocaleFormats IsoFormats() {
  TLocaleFormats formats;
  formats.ShortDate = "yyyy-MM-dd";
  formats.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  return formats;
}

} // namespace

// The edges a day can have: no break taken of those prompted, a risk index
// of exactly 0, and the hours' axis a step of 4 hours above the longest day.
TEST(StatusHistoryTest, ADayWithNothingTakenAndNoRiskShowsZerosAndTheAxesKeepTheirSteps) {
  const THistoryTexts texts;
  const std::vector<TDayRecord> days = {DayOfWork(46000, 5 * 3600, 3, 0, 0)}; // Tue 2025-12-09
  const TChartData data = HistoryChartData(days, 46000, 7, texts, IsoFormats());
  EXPECT_EQ(data.Series[1].Values.back(), 0.0);
  EXPECT_EQ(data.Series[2].Values.back(), 0.0);
  EXPECT_TRUE(std::isnan(data.Series[2].Values.front()));
  EXPECT_EQ(data.Left.Maximum, 8);
  EXPECT_EQ(data.Right.Maximum, 100);
  EXPECT_EQ(data.Right.Divisions, 4);
  EXPECT_EQ(HistoryDayText(46000, &days[0], texts, IsoFormats()),
            "Tue 2025-12-09: 5:00 h worked, 0 of 3 prompted breaks taken, risk index 0 %");
  EXPECT_EQ(HistoryLeftOutText(0, texts), ""); // nothing left out, nothing said
}

TEST(StatusHistoryTest, DayLabelsDropTheYearButNotAQuotedOne) {
  EXPECT_EQ(DayMonthPicture("M/d/yyyy"), "M/d");
  EXPECT_EQ(DayMonthPicture("yyyy-MM-dd"), "MM-dd");
  EXPECT_EQ(DayMonthPicture("'y'dd.MM.yy"), "'y'dd.MM");
  EXPECT_EQ(DayMonthPicture("yy"), "d");
}
