// Personal statistics: the choice of the next message, questionnaire scores
// and gauges, and the input activity behind the keyboard or mouse preference.
#include "movaro/profile/MessageEntry.h"
#include "movaro/profile/Statistics.h"
#include "unit/movaro/ProfileWorld.h"

namespace {

constexpr int32_t kToday = 46000;

std::string Choose(const std::vector<std::string> &history, const char *filter = "gg",
                   const char *excluded = "", const char *set = "001") {
  return ChooseStatusQuestion(history, filter, excluded, kToday, set);
}

TEST(StatusQuestion, NeverShownThenDeclinedThenAcceptedAndNeverToday) {
  const std::string neverA = "ikki0000010001-1>0", neverB = "ikki0000010002-1>0";
  const std::string declinedYesterday = "ikki0000010003" "0>45999";
  const std::string acceptedLongAgo = "wkkw0000010004" "1>40000";
  const std::string shownToday = "ikki0000010005-1>46000";
  EXPECT_EQ(Choose({}), "");
  EXPECT_EQ(Choose({shownToday}), "");
  EXPECT_EQ(Choose({neverA, neverB}), neverA);
  EXPECT_EQ(Choose({declinedYesterday, neverA}), neverA);
  EXPECT_EQ(Choose({neverA, declinedYesterday}), neverA);
  EXPECT_EQ(Choose({declinedYesterday, acceptedLongAgo, shownToday}), declinedYesterday);
  // A later entry last shown after the choice's day does not replace it.
  EXPECT_EQ(Choose({acceptedLongAgo, declinedYesterday}), acceptedLongAgo);

  // Group filter (group, or group and category), excluded group and set.
  const std::vector<std::string> mixed = {"imgi0000010001-1>0", "igge0000010002-1>0",
                                          "ikki0000020003-1>0"};
  EXPECT_EQ(Choose(mixed, "gg", "mg"), mixed[1]);
  EXPECT_EQ(Choose(mixed, "gge"), mixed[1]);
  EXPECT_EQ(Choose(mixed, "mg"), mixed[0]);
  EXPECT_EQ(Choose(mixed, "kk"), "");
  EXPECT_EQ(Choose(mixed, "kk", "", "002"), mixed[2]);

  // Questionnaire items: an unanswered one, else the highest answer so far.
  EXPECT_EQ(Choose({"qggt0040010001" "4>45000", "qggt0040010002" "0>45000"}), "qggt0040010001" "4>45000");
  int pumped = 0;
  ChooseStatusQuestion({neverA, neverB}, "gg", "", kToday, "001", [&] { ++pumped; });
  EXPECT_EQ(pumped, 2);
}

TEST(Questionnaires, UnansweredItemsCountTheirBestAnswerAndGaugesKeepWithoutItems) {
  TProfileWorld w;
  w.WriteInfoFile({{1, "a_44|Dlg #qggt0040010001", ""}, {2, "b_44|Dlg #qggt0400010002", ""},
                   {3, "c_44|Dlg #qggt0030020001", ""}});
  auto profile = w.NewProfile();
  profile->BuildMessageHistory(w.info);
  w.view.Gauges[5] = 37;
  profile->LoadProfile();
  TQuestionnaireScore first = QuestionnaireScore(profile->MessageHistory, "t001");
  EXPECT_EQ(first.Score, 0);
  EXPECT_EQ(first.Maximum, 8);
  EXPECT_EQ(w.view.Gauges[1], 100);
  EXPECT_EQ(w.view.Gauges[2], 100);
  EXPECT_EQ(w.view.Gauges[0], 0);
  EXPECT_EQ(w.view.Gauges[5], 37); // no items: the gauge keeps its value

  // "Yes" to the item scoring 0 for no and 4 for yes.
  profile->UpdateEntry("qggt0040010001", 4, kToday);
  profile->UpdateEntry("qggt0400010002", 0, kToday);
  profile->UpdateTestGauges();
  EXPECT_EQ(QuestionnaireScore(profile->MessageHistory, "t001").Score, 4);
  EXPECT_EQ(w.view.Gauges[1], 50);
  EXPECT_EQ(w.view.Gauges[0], 36); // 4 of 11, truncated
  profile->UpdateEntry("qggt0400010002", 4, kToday);
  profile->UpdateTestGauges();
  EXPECT_EQ(w.view.Gauges[1], 0);
  // A count no answer can give (written by hand) stays within the gauge.
  profile->UpdateEntry("qggt0030020001", 9, kToday);
  profile->UpdateTestGauges();
  EXPECT_EQ(w.view.Gauges[2], 0);
  EXPECT_EQ(w.view.Gauges[0], 100);
}

TEST(Questionnaires, GaugesTruncateTheirShares) {
  // Questionnaire 1 scores 1 of 3, questionnaire 2 3 of 3: 4 of 6 in all.
  const std::vector<std::string> history = {"qggt0010010001" "1>46000", "qggt0020010002" "0>46000",
                                            "qggt0030020001" "3>46000"};
  const auto gauges = TestGaugeValues(history);
  EXPECT_EQ(gauges[1], 66); // two thirds left, not rounded up to 67
  EXPECT_EQ(gauges[2], 0);
  EXPECT_EQ(gauges[0], 66);
  EXPECT_FALSE(gauges[3].has_value());
}

TEST(InputActivity, TicksWithInputDecideTheExcludedGroup) {
  TInputActivity activity;
  TTraceCount counters[kTraceTypeCount] = {};
  const TDateTime tick = 1000 / kMillisecondsPerDay;
  EXPECT_EQ(ExcludedGroup(activity), "kk"); // equal: mouse at least as much
  counters[ttKeystrokes].Count = 5;
  UpdateInputActivity(activity, counters, 1.5, tick);
  UpdateInputActivity(activity, counters, 1.6, tick); // no new keystroke
  EXPECT_DOUBLE_EQ(activity.Counts[ttKeystrokes].Time, tick);
  EXPECT_EQ(activity.Updated, 1.6);
  EXPECT_EQ(ExcludedGroup(activity), "mg");
  counters[ttMouseMoves].Count = 1;
  UpdateInputActivity(activity, counters, 1.7, tick);
  EXPECT_EQ(ExcludedGroup(activity), "kk");
  ResetInputActivity(activity, counters, 1.8);
  EXPECT_EQ(activity.Counts[ttMouseMoves], (TTraceCount{1, 0}));
}

TEST(StatusFigures, RuleFiguresOnlyWithTheRules) {
  TTraceState trace;
  trace.Start = 46000 + 8.0 / 24;
  trace.Counters[ttKeystrokes].Count = 1234;
  TStatusFigures f = StatusFigures(trace, trace.Start + 1.5 / 24);
  EXPECT_EQ(f.Started + " " + f.TimeMeasured + " " + f.Keystrokes, "08:00:00 01:30:00 1234");
  EXPECT_FALSE(f.HasRuleFigures);
  trace.Rules = std::make_unique<TRuleList>();
  THeadlessFileSystem files;
  BuildRules(*trace.Rules, TRuleSetup(), files, trace.Start, 0);
  (*trace.Rules)[1].TraceMsgStats.Stats[tsTotal].Time = 65.0 / kSecondsPerDay;
  EXPECT_EQ(StatusFigures(trace, trace.Start).TimeWorked, "00:01:05");
}

} // namespace
