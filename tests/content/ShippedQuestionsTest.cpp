// The shipped information file, read as the program reads it: in every
// language the status question search finds an item of each of the ten
// questionnaires, and the prompt dialog can show it.
#include "movaro/profile/Statistics.h"
#include "sim/DaySimulation.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdio>

TEST(ShippedContent, EveryQuestionnaireHasAStatusQuestionInEveryLanguage) {
  const int32_t today = 46000; // the search passes over items shown today
  for (const std::string language : {"_31", "_33", "_34", "_39", "_44", "_49"}) {
    TScratchFolder scratch;
    TDaySimulation day(today + 0.5, 5000, 1, scratch.Path() + "/");
    ASSERT_TRUE(day.LoadInfoFile(MOVARO_CONTENT_DIR "/MVRInfo.dat", language));
    day.MakeProfile();
    ASSERT_TRUE(day.Start());
    for (int test = 1; test <= 10; ++test) {
      char set[8];
      std::snprintf(set, sizeof set, "%03d", test);
      const std::string entry = ChooseStatusQuestion(day.Profile->MessageHistory, "gg", "", today, set);
      const int32_t record = day.Profile->QuestionRecordIndex(entry);
      ASSERT_GT(record, 0) << entry << " language " << language << ", questionnaire " << set;
      EXPECT_NE(std::string(day.Info.GetSelectedRecord(record).Name).find(language + "|"), std::string::npos);
      EXPECT_TRUE(day.Scheduler.ShowRuleMessage(0, record, false)) << language << " " << set;
    }
  }
}
