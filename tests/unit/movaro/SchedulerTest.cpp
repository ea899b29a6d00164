// The break scheduler in virtual time, with the program's own dialog and
// blocking window on headless views.
#include "SchedulerWorld.h"

#include "movaro/schedule/RuleMessages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;

namespace {

std::string Repeat(char c, size_t n) { return std::string(n, c); }

} // namespace

TEST(BreakScheduler, NoPromptWhileTheMainWindowIsOnScreenButRule0WaitsForItToGo) {
  TSchedulerWorld w;
  w.day->StatusPage.MainWindowOnScreen = true;
  w.Fire(0, 30);
  w.Fire(3, 30);
  w.random.Queue = {10, 99}; // a general question
  for (int t = 1; t <= 10; ++t)
    w.day->StatusPage.Scores[t] = t == 3 ? 40 : 90;
  w.Tick();
  EXPECT_FALSE(w.day->Dialog.Showing());
  EXPECT_TRUE(w.Rule(0).Fired);
  EXPECT_FALSE(w.Rule(3).Fired);
  EXPECT_EQ(w.day->StatusBar.Panels[kClockPanel], "Time:10:00");
  EXPECT_EQ(w.day->StatusPage.Figures.Started, "10:00:00");
  EXPECT_TRUE(w.day->StatusPage.Figures.HasRuleFigures);

  w.day->MinimizeMainWindow();
  w.Tick();
  EXPECT_THAT(w.TakeLog(), ElementsAre("10:00:02 sound C:\\Program Files\\Movaro\\Av\\Bit.wav",
                                       "10:00:02 show 0 1 kind 2 buttons [Yes|No|Cancel] time-out 28 "
                                       "\"Do you feel rested after the ...\"",
                                       "10:00:02 recent 0-1>10:00"));
  EXPECT_FALSE(w.day->Sound.Loop);
}

TEST(BreakScheduler, PausingNoticeAfterSixtyOneIdleSecondsGoesAtTheNextInput) {
  TSchedulerWorld w;
  w.Tick(60);
  EXPECT_FALSE(w.day->Dialog.Showing());
  w.Tick(1);
  ASSERT_TRUE(w.day->Dialog.Showing());
  EXPECT_EQ(w.day->Dialog.ShownRuleIndex(), -1);
  EXPECT_THAT(w.TakeLog(), ElementsAre("10:01:01 show -1 0 kind 0 buttons [] time-out none \"Pausing...\""));
  w.Tick(30); // shown once, not again every second
  EXPECT_TRUE(w.TakeLog().empty());
  w.day->Sim.KeyStroke();
  w.Tick();
  EXPECT_FALSE(w.day->Dialog.Showing());
  EXPECT_THAT(w.TakeLog(), ElementsAre("10:01:32 hide -1 0"));
  EXPECT_EQ(w.day->StatusBar.Panels[kStatePanel], "Movaro is running");
}

TEST(BreakScheduler, ShowRuleMessageCaseByCase) {
  TSchedulerWorld w;
  TBreakScheduler &s = w.day->Scheduler;
  TMessageDialog &d = w.day->Dialog;
  w.Fire(0, 20);
  TMsgStatRec none;
  none.Kind = msrtNone;
  TMsgStatRec tip;
  tip.Kind = msrtWarning;
  tip.MsgText = "<b>" + Repeat('x', 300);
  w.Rules().push_back(none); // 5
  w.Rules().push_back(tip);  // 6
  w.Fire(6, 12);
  auto shows = [&](int rule, int record) {
    const bool shown = s.ShowRuleMessage(rule, record, false);
    EXPECT_EQ(shown, d.Showing() && d.ShownRuleIndex() == rule && d.ShownRecordIndex() == record);
    d.HideMessage();
    return shown;
  };
  // Nothing for a rule outside the list or of kind none, a record with a
  // rule other than 0, a record outside the file, or one without a marker.
  for (auto [rule, record] : {std::pair{-2, 0}, {7, 0}, {5, 0}, {3, 1}, {0, 0}, {0, 7}, {0, 5}, {0, 6}})
    EXPECT_FALSE(shows(rule, record)) << rule << "/" << record;

  struct TCase {
    int Record;
    uint8_t Kind;
    std::vector<std::string> Buttons; // yes, no, cancel as shown; "" hidden
  };
  for (const TCase &c : {TCase{1, 2, {"Yes", "No", "Cancel"}}, TCase{2, 1, {"More Info", "I Know", "Cancel"}},
                         TCase{3, 3, {"Info", "Ok", "Cancel"}}, TCase{4, 4, {"Ok", "", ""}}}) {
    ASSERT_TRUE(s.ShowRuleMessage(0, c.Record, false));
    EXPECT_EQ(d.ShownKind(), c.Kind);
    EXPECT_EQ(d.TimeOutBar.MaxValue(), 20);
    std::vector<std::string> shown;
    for (TBaseBtn *b : {&d.YesBtn, &d.NoBtn, &d.CancelBtn})
      shown.push_back(b->Visible() ? b->Caption() : "");
    EXPECT_EQ(shown, c.Buttons) << c.Record;
  }
  ASSERT_TRUE(s.ShowRuleMessage(6, 0, false));
  EXPECT_EQ(d.ShownKind(), msrtWarning);
  EXPECT_EQ(d.ShownText(), "<b>" + Repeat('x', 252)); // the 256-byte buffer, terminator included
  EXPECT_EQ(d.YesBtn.Caption(), "Ok");
  EXPECT_FALSE(d.NoBtn.Visible() || d.CancelBtn.Visible());
  EXPECT_EQ(d.TimeOutBar.MaxValue(), 12);
  EXPECT_TRUE(d.TimeOutBar.Visible());

  // A recent message replayed after its rule expired: no count-down at all.
  w.Rule(6).Fired = false;
  w.Rule(6).ShowUntil = 0;
  ASSERT_TRUE(s.ShowRuleMessage(6, 0, false));
  EXPECT_FALSE(d.TimeOutBar.Visible());
  EXPECT_EQ(TimeLeftSeconds(0, 46000.5), 0);
  EXPECT_EQ(TimeLeftSeconds(1e9, 0), INT32_MAX);
  EXPECT_EQ(CutDialogText("ab<font color=red>" + Repeat('y', 300)).size(), 255u);
  EXPECT_EQ(CutDialogText(Repeat('y', 250) + "<font color=red>z"), Repeat('y', 250));
}

TEST(BreakScheduler, QuestionSearchTakesTheLowestScoreFirstAndDrawsAboveFifty) {
  TSchedulerWorld w;
  // Tests 3 and 4 tie at 20: the earlier one, test 3 (record 1), is asked.
  w.day->StatusPage.Scores = {{1, 80}, {2, 80}, {3, 20}, {4, 20}, {5, 70}, {6, 80},
                              {7, 80}, {8, 80}, {9, 80}, {10, 80}};
  w.random.Queue = {10, 99};
  w.random.Draws = 0;
  w.Fire(0, 30);
  w.Tick();
  EXPECT_EQ(w.day->Dialog.ShownRecordIndex(), 1);
  EXPECT_EQ(w.random.Draws, 2); // the group only: a worrying score needs no draw
  w.day->Dialog.NoBtnClick();
  EXPECT_FALSE(w.Rule(0).Fired);
  EXPECT_THAT(w.day->Owner.Answers, ElementsAre(TQuestionAnswer{1, false, false}));

  // Exactly 50 is still worrying and wins the scan; test 5 holds record 3.
  w.day->StatusPage.Scores[3] = 90;
  w.day->StatusPage.Scores[4] = 90;
  w.day->StatusPage.Scores[5] = 50;
  w.random.Queue = {10, 99};
  w.Fire(0, 30);
  w.Tick();
  EXPECT_EQ(w.day->Dialog.ShownRecordIndex(), 3);
  w.day->Dialog.HideMessageDialog();

  // All above 50: tests are drawn (0 draws nothing) until one has a question.
  w.day->StatusPage.Scores[5] = 70;
  w.random.Queue = {10, 99, 0, 7};
  const int pumps = w.day->Pump.Pumps;
  w.random.Draws = 0;
  w.Fire(0, 30);
  w.Tick();
  EXPECT_EQ(w.day->Dialog.ShownRecordIndex(), 2); // test 7's
  EXPECT_EQ(w.random.Draws, 4);
  EXPECT_GE(w.day->Pump.Pumps - pumps, 2); // after each draw
}

TEST(BreakScheduler, AQuestionOfTheInputTheUserMostlyUsed) {
  TSchedulerWorld w(true, true,
                    {{1, "k_44|Dlg #qkkt0000030001", "Are your wrists flat?"},
                     {2, "m_44|Dlg #qmgt0000030002", "Is the mouse close to you?"}});
  for (int t = 1; t <= 10; ++t)
    w.day->StatusPage.Scores[t] = t == 3 ? 20 : 90;
  TInputActivity &activity = w.day->Profile->InputActivity;
  auto ask = [&] {
    w.random.Queue = {60}; // a question of the user's input
    w.Fire(0, 30);
    w.Tick();
    const int32_t shown = w.day->Dialog.ShownRecordIndex();
    w.day->Dialog.HideMessageDialog();
    return shown;
  };
  activity.Counts[ttKeystrokes].Time = 0.002; // mostly typed
  activity.Counts[ttMouseMoves].Time = 0.001;
  EXPECT_EQ(ask(), 1);
  activity.Counts[ttKeystrokes].Time = 0.001; // mostly moved the mouse
  activity.Counts[ttMouseClicks].Time = 0.002;
  EXPECT_EQ(ask(), 2);
}

TEST(BreakScheduler, AnAnsweredQuestionIsInTheHistoryAndNotAskedAgainThatDay) {
  TSchedulerWorld w;
  w.day->StatusPage.Scores = {{1, 80}, {2, 80}, {3, 20}, {4, 80}, {5, 80}, {6, 80},
                              {7, 80}, {8, 80}, {9, 80}, {10, 80}};
  w.random.Queue = {10, 99};
  w.Fire(0, 30);
  w.Tick();
  ASSERT_EQ(w.day->Dialog.ShownRecordIndex(), 1);
  w.TakeLog();
  w.day->Dialog.NoBtnClick(); // "no" scores the head's sixth digit
  EXPECT_EQ(w.day->Profile->FindEntry("qggt0000030001"), "qggt00000300010>46000");
  EXPECT_THAT(w.TakeLog(), testing::IsSupersetOf({"10:00:01 answer 1 no",
                                                  "10:00:01 history qggt00000300010>46000"}));
  for (int period = 0; period < 3; ++period) {
    w.random.Queue = {10, 99};
    w.Fire(0, 30);
    w.Tick();
    EXPECT_FALSE(w.day->Dialog.Showing() && w.day->Dialog.ShownRecordIndex() == 1);
  }
}

TEST(BreakScheduler, ARecentMessageShownAgainStaysUntilAnsweredAndThenRestoresTheWindow) {
  TSchedulerWorld w;
  w.day->StatusPage.Scores = {{1, 80}, {2, 80}, {3, 20}, {4, 80}, {5, 80}, {6, 80},
                              {7, 80}, {8, 80}, {9, 80}, {10, 80}};
  w.random.Queue = {10, 99};
  w.Fire(0, 30);
  w.Tick();
  w.day->Dialog.CancelBtnClick();
  ASSERT_EQ(w.day->Profile->RecentMessages.size(), 1u);
  EXPECT_FALSE(w.day->ReplayRecentMessage(1));
  ASSERT_TRUE(w.day->ReplayRecentMessage(0));
  EXPECT_TRUE(w.day->Owner.Minimized);
  w.Tick(30); // past its count-down, still up
  ASSERT_TRUE(w.day->Dialog.Showing());
  EXPECT_EQ(w.day->Dialog.ShownRecordIndex(), 1);
  w.day->TrayClick(); // brings the prompt forward; the window stays down
  EXPECT_TRUE(w.day->Owner.Minimized);
  w.day->Dialog.YesBtnClick();
  EXPECT_FALSE(w.day->Dialog.Showing());
  EXPECT_EQ(w.day->Owner.Restores, 1);
  w.day->TrayClick();
  EXPECT_TRUE(w.day->StatusPage.MainWindowOnScreen);
}

TEST(BreakScheduler, NoQuestionForAnyTestClearsRule0AndAnUnshowableRecordStaysSilent) {
  TSchedulerWorld w;
  // Test 4 worries most, and its one record has no dialog marker: nothing
  // is shown, heard or listed, and rule 0 rests until it fires again.
  w.day->StatusPage.Scores = {{1, 90}, {2, 90}, {3, 90}, {4, 10}, {5, 90}, {6, 90},
                              {7, 90}, {8, 90}, {9, 90}, {10, 90}};
  w.random.Queue = {10, 99};
  w.Fire(0, 30);
  w.Tick();
  EXPECT_FALSE(w.day->Dialog.Showing());
  EXPECT_FALSE(w.Rule(0).Fired);
  w.Tick(5);
  EXPECT_TRUE(w.day->Sound.Played.empty());
  EXPECT_TRUE(w.day->Profile->RecentMessages.empty());
  EXPECT_TRUE(w.TakeLog().empty());

  // An empty history: each test is tried once (all score 0: no draws) and
  // rule 0 is cleared.
  TSchedulerWorld few;
  few.day->StatusPage.UnknownScore = 0;
  few.day->Profile->MessageHistory.clear();
  few.random.Queue = {10, 99};
  few.random.Draws = 0;
  few.Fire(0, 30);
  few.Tick();
  EXPECT_EQ(few.random.Draws, 2);
  EXPECT_FALSE(few.Rule(0).Fired);
  EXPECT_FALSE(few.day->Dialog.Showing());
}

TEST(BreakScheduler, StoppingMonitoringEndsASearchThatIsDrawing) {
  TSchedulerWorld w;
  for (int t = 1; t <= 10; ++t)
    w.day->StatusPage.Scores[t] = 90;
  w.random.Queue = {10, 99};
  w.random.Otherwise = 0u; // draws nothing, ever
  w.day->Pump.OnPump = [&] {
    if (w.day->Pump.Pumps == 5) {
      EXPECT_TRUE(w.day->Scheduler.StopMonitoring());
    }
  };
  w.Fire(0, 30);
  w.Tick();
  EXPECT_FALSE(w.day->Scheduler.TickBusy());
  EXPECT_FALSE(w.day->Dialog.Showing());
  EXPECT_TRUE(w.day->Sound.Played.empty());
  EXPECT_EQ(w.day->Pump.Pumps, 5);
}

TEST(BreakScheduler, SettingsBecomeRulePeriods) {
  TSchedulerWorld w;
  auto seconds = [&](int rule) { return std::lround(w.Rule(rule).TraceMsgStats.TracePeriod * kSecondsPerDay); };
  EXPECT_EQ(w.day->Scheduler.ApplyLevel(240), "(1x / 15 sec)");
  EXPECT_EQ(seconds(0), 15);
  EXPECT_EQ(w.day->Scheduler.ApplyLevel(1), "(1x / 1 hour)");
  EXPECT_EQ(seconds(0), 3600);
  EXPECT_EQ(w.day->Scheduler.ApplyLevel(226), "(1x / 3 min 45 sec)");
  w.day->Scheduler.ApplyShortBreak(30);
  w.day->Scheduler.ApplyLongBreak(180);
  EXPECT_EQ(seconds(3), 30);
  EXPECT_EQ(seconds(4), 3 * 3600);
  EXPECT_EQ(w.day->Profile->ConfigLevel, 226);
  EXPECT_EQ(w.day->Profile->ConfigLongPause, 180);
}

TEST(BreakScheduler, ABlockedShortBreakInOrderAndTheBlockingGoesWithItsPrompt) {
  TSchedulerWorld w;
  w.day->Profile->ConfigShortPauseBlock = true;
  // Typing without a rest of 10 seconds: the short break is due at 10:01:00.
  for (int i = 0; i < 60; ++i) {
    w.day->Sim.KeyStroke();
    w.Tick();
  }
  EXPECT_THAT(w.TakeLog(),
              ElementsAre("10:01:00 sound C:\\Program Files\\Movaro\\Av\\Bit.wav", "10:01:00 block show",
                          "10:01:00 show 3 0 kind 3 buttons [Ok] time-out 10 \"Take a short break of 10 ...\"",
                          "10:01:00 recent 3-0>10:01"));
  for (int i = 0; i < 6; ++i)
    w.day->BlockedInput();
  EXPECT_EQ(w.day->Blocking.Color(), 60u);
  w.Tick(11); // the rule's time is over: prompt and blocking go together
  EXPECT_THAT(w.TakeLog(), ElementsAre("10:01:00 block input 1", "10:01:00 block input 2",
                                       "10:01:00 block input 3", "10:01:00 block input 4",
                                       "10:01:00 block input 5", "10:01:00 block input 6",
                                       "10:01:11 hide 3 0", "10:01:11 block close"));

  // The user walks away during the next blocked break: the absence notice
  // replaces the prompt and takes the blocking with it.
  w.Fire(3, 120);
  w.Tick();
  ASSERT_TRUE(w.day->Blocking.Showing());
  w.TakeLog();
  w.Tick(60);
  EXPECT_FALSE(w.day->Blocking.Showing());
  EXPECT_EQ(w.day->Dialog.ShownRuleIndex(), -1);
  EXPECT_THAT(w.TakeLog(), ElementsAre("10:02:00 block close", "10:02:00 hide 3 0",
                                       "10:02:00 show -1 0 kind 0 buttons [] time-out none \"Pausing...\""));
  EXPECT_EQ(w.day->Blocking.Color(), 60u); // kept for the next break

  // A restore of the main window ends both, the notice included.
  w.day->Blocking.ShowBlocking();
  w.day->RestoreMainWindow();
  EXPECT_FALSE(w.day->Dialog.Showing() || w.day->Blocking.Showing());
}

TEST(BreakScheduler, WithoutProfileRule0WaitsAndPromptsStaySilent) {
  TSchedulerWorld w(/*withProfile=*/false);
  w.Fire(0, 30);
  w.Fire(4, 30);
  w.Tick();
  EXPECT_TRUE(w.Rule(0).Fired);
  EXPECT_FALSE(w.day->Dialog.Showing());
  w.Rule(0).Fired = false;
  w.Tick();
  EXPECT_EQ(w.day->Dialog.ShownRuleIndex(), 4);
  EXPECT_TRUE(w.day->Sound.Played.empty());
  EXPECT_FALSE(w.day->Blocking.Showing());
}

TEST(BreakScheduler, PauseStartAndASwitchOfTheWindowsUser) {
  TSchedulerWorld w;
  TBreakScheduler &s = w.day->Scheduler;
  s.PauseClick();
  EXPECT_EQ(w.day->StatusBar.Panels[kStatePanel], "Movaro has stopped");
  EXPECT_EQ(w.day->StatusBar.Controls, (TStatusControls{true, false, true, true, false}));
  w.Fire(3, 30);
  w.Tick();
  EXPECT_FALSE(w.day->Dialog.Showing()); // paused: no reactions
  s.StartClick();
  EXPECT_EQ(w.day->StatusBar.Panels[kStatePanel], "Movaro is running");

  w.day->Profile->ConfigShortPause = 45;
  w.day->Session.Name = "Bert";
  w.Tick();
  EXPECT_EQ(w.day->Profile->UserName, "Bert");
  EXPECT_EQ(w.day->Profile->ConfigShortPause, 60); // Bert's own (default) settings
  w.day->Session.Name = "Anna";
  w.Tick();
  EXPECT_EQ(w.day->Profile->ConfigShortPause, 45); // Anna's, saved at the switch
}

TEST(BreakScheduler, ALockedSwitchedOrScreenSavedSessionIsAwayAtOnceAndHoldsPrompts) {
  TSchedulerWorld w;
  TSessionPresence &state = w.day->Session.State;
  for (bool TSessionPresence::*away :
       {&TSessionPresence::Locked, &TSessionPresence::SwitchedAway, &TSessionPresence::ScreenSaver}) {
    w.day->Sim.KeyStroke();
    w.Tick();
    state.*away = true;
    w.Tick(); // a second after the last input: no minute to wait
    EXPECT_TRUE(w.day->Dialog.Showing() && w.day->Dialog.ShownRuleIndex() == -1);
    state.*away = false;
    w.day->Sim.KeyStroke();
    w.Tick();
    EXPECT_FALSE(w.day->Dialog.Showing());
  }
  EXPECT_THAT(w.TakeLog(), ElementsAre("10:00:02 show -1 0 kind 0 buttons [] time-out none \"Pausing...\"",
                                       "10:00:03 hide -1 0",
                                       "10:00:05 show -1 0 kind 0 buttons [] time-out none \"Pausing...\"",
                                       "10:00:06 hide -1 0",
                                       "10:00:08 show -1 0 kind 0 buttons [] time-out none \"Pausing...\"",
                                       "10:00:09 hide -1 0"));

  // A long break due while the session is locked waits for the unlock and
  // then shows with the time it has left.
  state.Locked = true;
  w.Tick();
  w.Fire(4, 600);
  w.Tick(20);
  EXPECT_EQ(w.day->Dialog.ShownRuleIndex(), -1);
  state.Locked = false;
  w.Tick();
  EXPECT_THAT(w.TakeLog(), ElementsAre("10:00:10 show -1 0 kind 0 buttons [] time-out none \"Pausing...\"",
                                       "10:00:31 hide -1 0",
                                       "10:00:31 sound C:\\Program Files\\Movaro\\Av\\Bit.wav",
                                       "10:00:31 show 4 0 kind 3 buttons [Ok] time-out 579 \"Take a long break of 10 ...\"",
                                       "10:00:31 recent 4-0>10:00"));
}

TEST(BreakScheduler, APromptWaitsForAFullScreenProgramUntilItEndsOrUntilTheLimit) {
  TSchedulerWorld w;
  TSessionPresence &state = w.day->Session.State;
  w.Tick(); // rule 0's first period finds no question
  state.FullScreen = true;
  w.Fire(3, 10);
  for (int i = 0; i < 50; ++i) { // typing in the full-screen program, past the rule's 10 s
    w.day->Sim.KeyStroke();
    w.Tick();
  }
  EXPECT_FALSE(w.day->Dialog.Showing());
  state.FullScreen = false;
  w.Tick();
  EXPECT_THAT(w.TakeLog(), ElementsAre("10:00:02 fullscreen wait 3", "10:00:52 fullscreen over 3 after 50 s",
                                       "10:00:52 sound C:\\Program Files\\Movaro\\Av\\Bit.wav",
                                       "10:00:52 show 3 0 kind 3 buttons [Ok] time-out 10 \"Take a short break of 10 ...\"",
                                       "10:00:52 recent 3-0>10:00"));
  w.day->Dialog.HideMessage();
  w.Rule(3).Fired = false;

  // One minute at most; with 0 prompts do not wait at all.
  w.day->Profile->ConfigFullScreenWait = 1;
  state.FullScreen = true;
  w.Fire(4, 600);
  for (int i = 0; i < 61; ++i) {
    w.day->Sim.KeyStroke();
    w.Tick();
  }
  EXPECT_EQ(w.day->Dialog.ShownRuleIndex(), 4);
  w.day->Dialog.HideMessage();
  w.Rule(4).Fired = false;
  w.day->Profile->ConfigFullScreenWait = 0;
  w.Fire(3, 10);
  w.Tick();
  EXPECT_EQ(w.day->Dialog.ShownRuleIndex(), 3);
  std::vector<std::string> waits;
  for (const std::string &line : w.TakeLog())
    if (line.find("fullscreen") != std::string::npos || line.find(" show ") != std::string::npos)
      waits.push_back(line);
  EXPECT_THAT(waits, ElementsAre("10:00:53 fullscreen wait 4",
                                 "10:01:53 fullscreen limit 4 after 60 s",
                                 "10:01:53 show 4 0 kind 3 buttons [Ok] time-out 600 \"Take a long break of 10 ...\"",
                                 "10:01:54 show 3 0 kind 3 buttons [Ok] time-out 9 \"Take a short break of 10 ...\""));

  // A status question waits as well.
  w.day->Dialog.HideMessage();
  w.Rule(3).Fired = false;
  w.day->Profile->ConfigFullScreenWait = 30;
  w.Fire(0, 30);
  w.Tick();
  EXPECT_FALSE(w.day->Dialog.Showing());
  EXPECT_THAT(w.TakeLog(), ElementsAre("10:01:54 hide 3 0", "10:01:55 fullscreen wait 0"));
}

TEST(BreakScheduler, ABreakTakenNowIsALongBreakAtOnceAndTheLongBreakPeriodStartsFromIt) {
  TSchedulerWorld w;
  TBreakScheduler &s = w.day->Scheduler;
  s.ApplyLevel(1); // no status question in these two hours
  s.ApplyLongBreak(60);
  w.day->Profile->ConfigLongPauseBlock = true;
  // Typing with a pause of 15 seconds now and then: never a short break, a
  // long one at the end of every hour without a rest of ten minutes.
  auto type = [&w](int minutes) {
    for (int t = 0; t < minutes * 4; ++t) {
      w.day->Sim.KeyStroke();
      w.Tick(15);
    }
  };
  type(20); // to 10:20:00
  w.day->RestoreMainWindow();
  EXPECT_FALSE(s.TakeBreakNow()); // the window must go first
  s.PauseClick();
  EXPECT_FALSE(w.day->StatusBar.Controls.BreakNow);
  EXPECT_FALSE(w.day->TakeBreakNow());
  s.StartClick();
  EXPECT_TRUE(w.day->StatusBar.Controls.BreakNow);
  EXPECT_TRUE(w.TakeLog().empty());

  ASSERT_TRUE(w.day->TakeBreakNow()); // from the main window: back to the tray first
  EXPECT_THAT(w.TakeLog(),
              ElementsAre("10:20:00 sound C:\\Program Files\\Movaro\\Av\\Bit.wav", "10:20:00 block show",
                          "10:20:00 show 4 0 kind 3 buttons [Ok] time-out 600 \"Take a long break of 10 ...\"",
                          "10:20:00 recent 4-0>10:20"));
  // The user types on through it: shown and blocked, not rested through.
  type(61); // to 11:21:00
  const TDayRecord record =
      TakeDayRecord(w.day->Context.Trace.TraceState, w.day->Profile->MessageHistory);
  EXPECT_EQ(record.LongPrompts, 2);
  EXPECT_EQ(record.BlockedBreaks, 2);
  EXPECT_EQ(record.RestedThrough, 0);
  EXPECT_EQ(record.ShortPrompts, 0);
  // Its time over at 10:30; the next long break an hour after it, not at 11:00.
  std::vector<std::string> longBreaks;
  for (const std::string &line : w.TakeLog())
    if (line.find("show 4 0") != std::string::npos || line.find("hide 4 0") != std::string::npos)
      longBreaks.push_back(line.substr(0, 15));
  EXPECT_THAT(longBreaks, ElementsAre("10:30:01 hide 4", "11:20:00 show 4"));
}
