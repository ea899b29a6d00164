// The built-in rules in virtual time, and rules read from a rule file.
#include "platform/headless/FaultInjectingFileSystem.h"
#include "sim/TraceSimulation.h"
#include "unit/movaro/TraceTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kBase = 0, kShortBreak = 3, kLongBreak = 4;

struct TFiring {
  size_t Rule;
  TDateTime Now, ShowUntil;
  TDateTime Released = 0; // when the engine cleared the flag again
};

// A simulation that records every rule's change from not fired to fired, as a
// consumer that never clears the flag.
struct TRecordedSimulation {
  explicit TRecordedSimulation(TDateTime wallStart, uint32_t tickStart = 0)
      : Sim(wallStart, tickStart) {
    Sim.Engine.RuleSetup.ShortBreakText = "Take a short break of 10 seconds";
    Sim.Engine.RuleSetup.LongBreakText = "Take a long break";
    Sim.Engine.RuleSetup.TracesStatusLst = &Traces;
    Sim.Engine.OnTraceUpdate = [this] {
      const TRuleList *rules = Sim.Engine.TraceState.Rules.get();
      if (!rules)
        return;
      WasFired.resize(rules->size());
      for (size_t i = 0; i < rules->size(); ++i) {
        if ((*rules)[i].Fired && !WasFired[i])
          Firings.push_back({i, Sim.Engine.TraceState.Now, (*rules)[i].ShowUntil});
        if (!(*rules)[i].Fired && WasFired[i])
          for (auto f = Firings.rbegin(); f != Firings.rend(); ++f)
            if (f->Rule == i) {
              f->Released = Sim.Engine.TraceState.Now;
              break;
            }
        WasFired[i] = (*rules)[i].Fired;
      }
    };
  }
  // Keystrokes every intervalMs until elapsedMs.
  void TypeUntil(uint64_t elapsedMs, uint64_t intervalMs = 500) {
    while (Sim.ElapsedMs() + intervalMs <= elapsedMs) {
      Sim.Advance(intervalMs);
      Sim.KeyStroke();
    }
    Sim.AdvanceTo(elapsedMs);
  }
  std::vector<TFiring> Of(size_t rule) const {
    std::vector<TFiring> result;
    for (const TFiring &f : Firings)
      if (f.Rule == rule)
        result.push_back(f);
    return result;
  }
  const TMsgStatRec &Rule(size_t index) const { return (*Sim.Engine.TraceState.Rules)[index]; }

  TTraceSimulation Sim;
  std::vector<std::string> Traces;
  std::vector<TFiring> Firings;
  std::vector<bool> WasFired;
};

// Seconds from the latest whole multiple of periodSeconds since midnight.
double SecondsAfterBoundary(TDateTime now, int periodSeconds) {
  double second = std::round((now - std::floor(now)) * kMillisecondsPerDay) / 1000.0;
  return std::fmod(second, periodSeconds);
}

constexpr uint64_t Minutes(uint64_t m) { return m * 60000; }

TEST(TraceRules, BuiltInRulesAndTheTracesList) {
  TRecordedSimulation run(At(2026, 12, 9, 10, 0, 0));
  run.Traces = {"stale entry"};
  ASSERT_TRUE(run.Sim.Start());
  EXPECT_EQ(run.Traces, (std::vector<std::string>{"Base", "Input", "Non Input",
                                                  "Short Break Warning", "Long Break Warning"}));
  EXPECT_EQ(run.Rule(kShortBreak).MsgText, "Take a short break of 10 seconds");
  EXPECT_EQ(run.Rule(kLongBreak).MsgText, "Take a long break");
  EXPECT_EQ(run.Rule(kShortBreak).Kind, msrtWarning);
  EXPECT_EQ(run.Rule(kLongBreak).TraceMsgStats.TracePeriodRef.Time, At(2026, 12, 9, 10, 0, 0));
  EXPECT_EQ(run.Rule(kShortBreak).TraceMsgStats.Stats[tsShortestRun],
            (TTraceCount{0xFFFFFFFFu, 1.0}));
}

TEST(TraceRules, ShortBreakWarningFiresEveryMinuteOfContinuousTyping) {
  TRecordedSimulation run(At(2026, 12, 9, 10, 0, 0));
  ASSERT_TRUE(run.Sim.Start());
  run.TypeUntil(Minutes(5) + 30000);
  std::vector<TFiring> fired = run.Of(kShortBreak);
  ASSERT_EQ(fired.size(), 5u);
  for (const TFiring &f : fired) {
    EXPECT_LE(SecondsAfterBoundary(f.Now, 60), 1.0);
    EXPECT_NEAR(ToSeconds(f.ShowUntil - f.Now), 10.0, 1e-3);
  }
  // The engine clears the flag once the message time has passed.
  EXPECT_FALSE(run.Rule(kShortBreak).Fired);
  EXPECT_EQ(run.Rule(kShortBreak).ShowUntil, 0);
}

TEST(TraceRules, AWarningLastsTheSameTicksInEveryMinute) {
  // Started 300 ms past a second: the ticks fall between the period boundaries.
  TRecordedSimulation run(At(2026, 12, 9, 9, 0, 0) + 300 / kMillisecondsPerDay);
  ASSERT_TRUE(run.Sim.Start());
  run.TypeUntil(Minutes(180) + 30000);
  std::vector<TFiring> fired = run.Of(kShortBreak);
  ASSERT_EQ(fired.size(), 180u);
  for (const TFiring &f : fired) {
    SCOPED_TRACE(ToSeconds(f.Now - At(2026, 12, 9, 9, 0, 0)));
    // Released at the first tick after its ten seconds, never at the tenth.
    EXPECT_EQ(DurationMilliseconds(f.Released - f.Now), 11000);
  }
}

TEST(TraceRules, APauseOfTenSecondsPreventsTheShortBreakWarning) {
  TRecordedSimulation run(At(2026, 12, 9, 10, 0, 0));
  ASSERT_TRUE(run.Sim.Start());
  run.TypeUntil(Minutes(1) + 20000);
  run.Sim.Advance(10000); // ten ticks without input in the second minute
  run.TypeUntil(Minutes(2) + 30000, 1000);
  run.Sim.Advance(9000); // nine are not enough in the third
  run.TypeUntil(Minutes(3) + 30000, 1000);
  std::vector<TFiring> fired = run.Of(kShortBreak);
  ASSERT_EQ(fired.size(), 2u);
  EXPECT_NEAR(ToSeconds(fired[0].Now - At(2026, 12, 9, 10, 1, 0)), 0, 1.001);
  EXPECT_NEAR(ToSeconds(fired[1].Now - At(2026, 12, 9, 10, 3, 0)), 0, 1.001);
}

TEST(TraceRules, NoWarningAtTheFirstBoundaryAfterLessThanHalfAPeriod) {
  TRecordedSimulation run(At(2026, 12, 9, 10, 0, 40));
  ASSERT_TRUE(run.Sim.Start());
  run.TypeUntil(Minutes(2)); // boundaries at 10:01 (20 s traced) and 10:02
  std::vector<TFiring> fired = run.Of(kShortBreak);
  ASSERT_EQ(fired.size(), 1u);
  EXPECT_NEAR(ToSeconds(fired[0].Now - At(2026, 12, 9, 10, 2, 0)), 0, 1.001);
  EXPECT_TRUE(run.Of(kLongBreak).empty()); // hours from the start: first boundary at 11:00:40
}

TEST(TraceRules, LongBreakWarningStaysFiredTenMinutes) {
  TRecordedSimulation run(At(2026, 12, 9, 10, 0, 0));
  ASSERT_TRUE(run.Sim.Start());
  run.TypeUntil(Minutes(60) + 2000, 2000);
  std::vector<TFiring> fired = run.Of(kLongBreak);
  ASSERT_EQ(fired.size(), 1u);
  EXPECT_NEAR(ToSeconds(fired[0].Now - At(2026, 12, 9, 11, 0, 0)), 0, 1.001);
  EXPECT_NEAR(ToSeconds(fired[0].ShowUntil - fired[0].Now), 600, 1e-3);
  run.TypeUntil(Minutes(70) - 2000, 2000);
  EXPECT_TRUE(run.Rule(kLongBreak).Fired);
  run.TypeUntil(Minutes(70) + 2000, 2000);
  EXPECT_FALSE(run.Rule(kLongBreak).Fired);
  // A consumer may clear it earlier; it does not come back before the next hour.
  run.TypeUntil(Minutes(120) + 5000, 2000);
  ASSERT_EQ(run.Of(kLongBreak).size(), 2u);
  const_cast<TMsgStatRec &>(run.Rule(kLongBreak)).Fired = false;
  run.Sim.Advance(5000);
  EXPECT_FALSE(run.Rule(kLongBreak).Fired);
  EXPECT_EQ(run.Of(kLongBreak).size(), 2u);
}

TEST(TraceRules, BaseRuleFiresAtPeriodBoundariesFromMidnight) {
  TRecordedSimulation run(At(2026, 12, 9, 10, 3, 17)); // even without any input
  ASSERT_TRUE(run.Sim.Start());
  run.Sim.Advance(Minutes(16));
  std::vector<TFiring> fired = run.Of(kBase);
  ASSERT_EQ(fired.size(), 3u); // 10:05, 10:10, 10:15
  for (size_t i = 0; i < fired.size(); ++i) {
    EXPECT_LT(SecondsAfterBoundary(fired[i].Now, 300), 1.0);
    EXPECT_NEAR(ToSeconds(fired[i].Now - At(2026, 12, 9, 10, 5 + 5 * int(i), 0)), 0, 1.0);
  }
}

TEST(TraceRules, DayRulesCollectActivityAndRest) {
  TRecordedSimulation run(At(2026, 12, 9, 10, 0, 0));
  ASSERT_TRUE(run.Sim.Start());
  // Keystrokes half-way between ticks: ticks 1-30 see input, 31-50 none, 51-60 input.
  for (int second : {0, 50})
    for (int i = second; i < second + (second ? 10 : 30); ++i) {
      run.Sim.AdvanceTo(i * 1000 + 500);
      run.Sim.KeyStroke();
    }
  run.Sim.AdvanceTo(60000);
  const TTraceMsgStats &input = run.Rule(1).TraceMsgStats;
  const TTraceMsgStats &rest = run.Rule(2).TraceMsgStats;
  EXPECT_EQ(input.Stats[tsTotal].Count, 40u);
  EXPECT_NEAR(ToSeconds(input.Stats[tsTotal].Time), 40, 1e-6);
  EXPECT_EQ(input.Stats[tsMaxCountRun].Count, 30u);
  EXPECT_NEAR(ToSeconds(input.Stats[tsLongestRun].Time), 30, 1e-6);
  // The first tick of a run already counts as a run of one event.
  EXPECT_EQ(input.Stats[tsMinCountRun].Count, 1u);
  EXPECT_NEAR(ToSeconds(rest.Stats[tsLongestRun].Time), 20, 1e-6);
  EXPECT_NEAR(ToSeconds(rest.Stats[tsTotal].Time), 20, 1e-6);
  EXPECT_NEAR(ToSeconds(rest.Stats[tsLast].Time), 60, 1e-6);
  EXPECT_EQ(rest.Stats[tsLast].Count, 40u);
  for (const TFiring &f : run.Firings)
    EXPECT_EQ(f.Rule, size_t(kBase)); // a 20 s rest: no short break warning at 10:01
}

TEST(TraceRules, CounterWrapAddsTheSmallTrueDifference) {
  TRecordedSimulation run(At(2026, 12, 9, 10, 0, 0));
  ASSERT_TRUE(run.Sim.Start());
  run.Sim.Engine.TraceState.Counters[ttGlobalInput].Count = 0xFFFFFFFDu;
  run.Sim.Advance(1000);
  uint32_t before = run.Rule(1).TraceMsgStats.Stats[tsTotal].Count;
  for (int i = 0; i < 3; ++i)
    run.Sim.KeyStroke(); // ...FE, 0, 1
  run.Sim.Advance(1000);
  // The counter skips 0xFFFFFFFF: three events, not the plain difference of four.
  EXPECT_EQ(run.Rule(1).TraceMsgStats.Stats[tsTotal].Count - before, 3u);
}

// --- rule file ---------------------------------------------------------------

struct RuleFile : ::testing::Test {
  std::filesystem::path Path =
      std::filesystem::temp_directory_path() /
      ("MVRMsgs_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
       ".dat");
  void TearDown() override { std::filesystem::remove(Path); }
  void Write(const std::string &text) {
    std::ofstream(Path, std::ios::binary) << text;
  }
  TRecordedSimulation Run{At(2026, 12, 9, 10, 0, 0), 3600000}; // system up for one hour
  void Start() {
    Run.Sim.Engine.RuleSetup.RuleFilePath = Path.string();
    ASSERT_TRUE(Run.Sim.Start());
  }
};

TEST_F(RuleFile, RulesFollowTheContentsOrder) {
  Write("[Contents]\r\nDrink\r\nMissing\r\nEmpty\r\nStretch\r\n\r\n"
        "[Stretch]\r\nKind=msrtInformation\r\nStatusLstLbl=Stretch\r\n"
        "TraceMsgStats.Kind=ttMouseClicks\r\nTraceMsgStats.TraceInput=false\r\n"
        "TraceMsgStats.TracePeriod=0:05:00\r\nTraceMsgStats.MsgTimeout=0:00:30\r\n"
        "TraceMsgStats.Conditions[4]=(100,1:00:00)\r\nMsgText=Stretch your arms\r\n"
        "\r\n[Empty]\r\n\r\n"
        "[Drink]\nKind=msrtQuestion\nStatusLstLbl=Drink\nTraceMsgStats.TraceInput=False\n"
        "TraceMsgStats.TracePeriodRef=(1,garbage)\nTraceMsgStats.Kind=ttkeystrokes\n"
        "TraceMsgStats.TracePeriod=not a time\n"
        "MsgText=\n\nMsgText=after the empty line\n");
  Start();
  ASSERT_EQ(Run.Traces.size(), 7u);
  EXPECT_EQ(Run.Traces[5], "Drink");
  EXPECT_EQ(Run.Traces[6], "Stretch");
  const TMsgStatRec &drink = Run.Rule(5), &stretch = Run.Rule(6);
  EXPECT_EQ(drink.Kind, msrtQuestion);
  EXPECT_EQ(drink.TraceMsgStats.Kind, ttTime); // the word's case differs
  EXPECT_FALSE(drink.TraceMsgStats.TraceInput);
  EXPECT_EQ(drink.TraceMsgStats.TracePeriod, 0);
  EXPECT_EQ(drink.TraceMsgStats.TracePeriodRef.Count, 1u);
  // Counted from the system start: one hour before the wall clock.
  EXPECT_NEAR(ToSeconds(drink.TraceMsgStats.TracePeriodRef.Time - At(2026, 12, 9, 9, 0, 0)), 0,
              1e-3);
  EXPECT_EQ(drink.MsgText, ""); // the line after the empty one is not part of the section
  EXPECT_EQ(stretch.Kind, msrtInformation);
  EXPECT_EQ(stretch.TraceMsgStats.Kind, ttMouseClicks);
  EXPECT_TRUE(stretch.TraceMsgStats.TraceInput); // only "False" clears it
  EXPECT_NEAR(ToSeconds(stretch.TraceMsgStats.TracePeriod), 300, 1e-6);
  EXPECT_NEAR(ToSeconds(stretch.TraceMsgStats.MsgTimeout), 30, 1e-6);
  EXPECT_TRUE(stretch.TraceMsgStats.CondUsed[4]);
  EXPECT_FALSE(stretch.TraceMsgStats.CondBelow[4]);
  EXPECT_EQ(stretch.TraceMsgStats.Conditions[4].Count, 100u);
  EXPECT_NEAR(ToSeconds(stretch.TraceMsgStats.Conditions[4].Time), 3600, 1e-6);
  EXPECT_EQ(stretch.MsgText, "Stretch your arms");
}

TEST_F(RuleFile, ConditionWithZeroTimeFiresOnTheFirstTick) {
  Write("[Contents]\nNow\n\n[Now]\nStatusLstLbl=Now\nTraceMsgStats.Kind=ttKeystrokes\n"
        "TraceMsgStats.Conditions[0]=(5,0:00:00)\nTraceMsgStats.MsgTimeout=0:00:03\n");
  Start();
  Run.Sim.Advance(1000);
  std::vector<TFiring> fired = Run.Of(5);
  ASSERT_EQ(fired.size(), 1u);
  EXPECT_NEAR(ToSeconds(fired[0].ShowUntil - fired[0].Now), 3, 1e-6);
  Run.Sim.Advance(6000); // released after its message time, then fires again
  EXPECT_EQ(Run.Of(5).size(), 2u);
}

TEST_F(RuleFile, RuleWithoutPeriodStartsAgainAfterItsTimeout) {
  // Fires when 5 clicks come within 10 s of collecting; otherwise starts afresh.
  Write("[Contents]\nClicks\n\n[Clicks]\nTraceMsgStats.Kind=ttMouseClicks\n"
        "TraceMsgStats.TraceTimeout=0:00:10\nTraceMsgStats.Conditions[1]=(5,1:00:00)\n"
        "TraceMsgStats.MsgTimeout=0:00:02\n");
  Start();
  for (int i = 0; i < 4; ++i) { // 4 clicks in the first 10 s: not enough
    Run.Sim.Advance(2000);
    Run.Sim.Click();
  }
  Run.Sim.AdvanceTo(12000);
  EXPECT_TRUE(Run.Of(5).empty());
  EXPECT_EQ(Run.Rule(5).TraceMsgStats.Stats[tsTotal].Count, 0u); // reset after the timeout
  for (int i = 0; i < 5; ++i)
    Run.Sim.Click();
  Run.Sim.Advance(1000);
  ASSERT_EQ(Run.Of(5).size(), 1u);
  EXPECT_EQ(Run.Rule(5).TraceMsgStats.Stats[tsTotal].Count, 0u);
}

TEST_F(RuleFile, RuleTimingOutUnfiredIsReleasedInTheSameTick) {
  // Times out at the tick of 10:00:04 and collects again at once: a keystroke
  // at 4.5 s fires it at the very next tick.
  Write("[Contents]\nKey\n\n[Key]\nTraceMsgStats.Kind=ttKeystrokes\n"
        "TraceMsgStats.TraceTimeout=0:00:03\nTraceMsgStats.Conditions[1]=(1,23:59:59)\n"
        "TraceMsgStats.MsgTimeout=0:00:02\n");
  Start();
  Run.Sim.AdvanceTo(4500);
  Run.Sim.KeyStroke();
  Run.Sim.AdvanceTo(7000);
  std::vector<TFiring> fired = Run.Of(5);
  ASSERT_EQ(fired.size(), 1u);
  EXPECT_NEAR(ToSeconds(fired[0].Now - At(2026, 12, 9, 10, 0, 5)), 0, 1e-3);
}

TEST_F(RuleFile, PeriodTracedOnlyHalfIsNotJudged) {
  // Started at 10:00:30: the period ending 10:01:00 was traced for exactly
  // half its length, so only the one ending 10:02:00 may fire.
  Write("[Contents]\nAlways\n\n[Always]\nTraceMsgStats.Kind=ttKeystrokes\n"
        "TraceMsgStats.TracePeriod=0:01:00\nTraceMsgStats.TracePeriodRef=(0,0:00:00)\n"
        "TraceMsgStats.Conditions[0]=(0,0:00:00)\nTraceMsgStats.MsgTimeout=0:00:05\n");
  TRecordedSimulation late(At(2026, 12, 9, 10, 0, 30), 3600000);
  late.Sim.Engine.RuleSetup.RuleFilePath = Path.string();
  ASSERT_TRUE(late.Sim.Start());
  late.Sim.AdvanceTo(95000);
  std::vector<TFiring> fired = late.Of(5);
  ASSERT_EQ(fired.size(), 1u);
  EXPECT_NEAR(ToSeconds(fired[0].Now - At(2026, 12, 9, 10, 2, 0)), 0, 1e-3);
}

TEST_F(RuleFile, PeriodReferenceFromSystemStartIgnoresTheWrittenTime) {
  // Up for one hour and 20 s: ten-minute periods counted from the system start
  // (8:59:40) end at 10:09:40, 10:19:40; (0,t) counts from t: 10:07, 10:17.
  Run.Sim.Clock.SetTickCount(3620000);
  Write("[Contents]\nUp\nFixed\n\n"
        "[Up]\nTraceMsgStats.TracePeriod=0:10:00\nTraceMsgStats.MsgTimeout=0:00:05\n"
        "TraceMsgStats.TracePeriodRef=(1,2020-01-01 10:00:00)\nTraceMsgStats.Conditions[0]=(0,0:00:00)\n"
        "\n[Fixed]\nTraceMsgStats.TracePeriod=0:10:00\nTraceMsgStats.MsgTimeout=0:00:05\n"
        "TraceMsgStats.TracePeriodRef=(0,2020-01-01 10:07:00)\nTraceMsgStats.Conditions[0]=(0,0:00:00)\n");
  Start();
  Run.Sim.Advance(Minutes(21));
  std::vector<TFiring> up = Run.Of(5), fixed = Run.Of(6);
  ASSERT_EQ(up.size(), 2u);
  EXPECT_NEAR(ToSeconds(up[0].Now - At(2026, 12, 9, 10, 9, 40)), 0, 1.001);
  EXPECT_NEAR(ToSeconds(up[1].Now - At(2026, 12, 9, 10, 19, 40)), 0, 1.001);
  ASSERT_EQ(fixed.size(), 2u);
  EXPECT_NEAR(ToSeconds(fixed[0].Now - At(2026, 12, 9, 10, 7, 0)), 0, 1.001);
  EXPECT_NEAR(ToSeconds(fixed[1].Now - At(2026, 12, 9, 10, 17, 0)), 0, 1.001);
}

TEST_F(RuleFile, BrokenFilesKeepTheRulesReadSoFar) {
  std::string junk = "[Contents]\nA\nB\nC\nD\n\n[A]\nStatusLstLbl=A\n"
                     "TraceMsgStats.Conditions[9]=(1,1)\nTraceMsgStats.Conditions[2]=(,)\n"
                     "TraceMsgStats.Conditions[3]=\nTraceMsgStats.TracePeriodRef=(99999999999,x\n"
                     "\n[B]\nStatusLstLbl=" + std::string(1 << 20, 'x') + "\n\n[C]\n\x01\xff\x00junk=\n";
  junk.push_back('\0');
  junk += "\n[D]\nMsgText";
  Write(junk);
  Start();
  ASSERT_EQ(Run.Traces.size(), 9u);
  EXPECT_EQ(Run.Traces[5], "A");
  EXPECT_EQ(Run.Traces[6].size(), 1u << 20);
  EXPECT_TRUE(Run.Rule(5).TraceMsgStats.CondUsed[2]);
  EXPECT_FALSE(Run.Rule(5).TraceMsgStats.CondUsed[3]);
  EXPECT_EQ(Run.Rule(5).TraceMsgStats.TracePeriodRef.Count, 0u);
  Run.Sim.Advance(5000);

  Write("no contents at all\n[A]\nStatusLstLbl=A\n");
  Run.Sim.Engine.StopTracing();
  ASSERT_TRUE(Run.Sim.Start());
  EXPECT_EQ(Run.Traces.size(), 5u);
}

// A rule file that cannot be read whole adds no rules: a text cut off by a
// read error is not the file.
TEST_F(RuleFile, UnreadableFileAddsNoRules) {
  using TOperation = TFaultInjectingFileSystem::TOperation;
  Write("[Contents]\nLong\n\n[Long]\nStatusLstLbl=Long\nMsgText=" + std::string(10000, 'm') + "\n");
  THeadlessFileSystem host;
  TFaultInjectingFileSystem faulty(host);
  TRuleSetup setup;
  setup.RuleFilePath = Path.string();
  TRuleList rules;
  BuildRules(rules, setup, faulty, At(2026, 12, 9, 10, 0, 0), 0);
  ASSERT_EQ(rules.size(), 6u);
  const int reads = faulty.Count(TOperation::Read);
  ASSERT_GT(reads, 2);
  for (int n = 1; n <= reads; ++n) {
    faulty.Reset();
    faulty.Fail(TOperation::Read, n);
    rules.clear();
    BuildRules(rules, setup, faulty, At(2026, 12, 9, 10, 0, 0), 0);
    EXPECT_EQ(rules.size(), 5u) << n;
  }
  faulty.Reset();
  faulty.Fail(TOperation::Open, 1);
  rules.clear();
  BuildRules(rules, setup, faulty, At(2026, 12, 9, 10, 0, 0), 0);
  EXPECT_EQ(rules.size(), 5u);
}

TEST(RuleFileText, SectionsAndValues) {
  std::vector<std::string_view> lines =
      SplitRuleFileLines("[a]\r\nk=1\nkey=2=3\n[b]\nk=4\n[a]\nk=5\n");
  ASSERT_EQ(lines.size(), 7u);
  std::vector<std::string_view> a = RuleFileSection("a", lines);
  ASSERT_EQ(a.size(), 2u); // up to the next header; only the first [a] counts
  EXPECT_EQ(RuleFileValue("k", a), "1");
  EXPECT_EQ(RuleFileValue("key", a), "2=3");
  EXPECT_EQ(RuleFileValue("ke", a), "");
  EXPECT_EQ(RuleFileValue("K", a), "");
  EXPECT_TRUE(RuleFileSection("A", lines).empty());
  EXPECT_TRUE(RuleFileSection("c", lines).empty());
}

} // namespace
