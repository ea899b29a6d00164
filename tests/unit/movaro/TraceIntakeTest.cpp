// Input notifications reach the right counters; tracing starts, stops and
// restarts as the monitor needs.
#include "sim/TraceSimulation.h"
#include "unit/movaro/TraceTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct TraceIntake : ::testing::Test {
  TTraceSimulation Sim{At(2026, 12, 9, 10, 0, 0), 5000};
  void SetUp() override {
    Sim.Cursor.Position = {100, 100};
    ASSERT_TRUE(Sim.Start());
  }
  uint32_t Count(TTraceType type) { return Sim.Engine.InputCount(type); }
};

TEST_F(TraceIntake, KeyReleasesCountPressesDoNot) {
  TTraceEngine &engine = Sim.Engine;
  engine.HandleNotification(kKeyboardNotification, 'A', 0x00000001u); // press
  EXPECT_EQ(Count(ttKeystrokes), 0u);
  engine.HandleNotification(kKeyboardNotification, 'A', 0xC0000001u); // release
  EXPECT_EQ(Count(ttKeystrokes), 1u);
  EXPECT_EQ(Count(ttGlobalInput), 1u);
  engine.HandleNotification(kKeyboardNotification, 'A', 0x00000000u); // bit 31 and bit 0 clear
  EXPECT_EQ(Count(ttKeystrokes), 2u);
  engine.HandleNotification(kKeyboardNotification, 'A', 0x40000005u); // auto-repeat, count 5
  EXPECT_EQ(Count(ttKeystrokes), 2u);
  EXPECT_FALSE(engine.HandleNotification(0x0400, 0, 0));
  EXPECT_EQ(Count(ttGlobalInput), 2u);
}

TEST_F(TraceIntake, MouseMovesCountOnlyRealMovement) {
  Sim.MoveTo(100, 100); // where the cursor was when the window was made
  EXPECT_EQ(Count(ttMouseMoves), 0u);
  Sim.MoveTo(150, 120);
  Sim.MoveTo(150, 120);
  EXPECT_EQ(Count(ttMouseMoves), 1u);
  Sim.MoveTo(100, 100);
  EXPECT_EQ(Count(ttMouseMoves), 2u);
  EXPECT_EQ(Count(ttGlobalInput), 2u);
}

TEST_F(TraceIntake, ReleasesAndWheelCountPressesAndDoubleClicksDoNot) {
  Sim.Click(TMouseButton::mbLeft);
  Sim.Click(TMouseButton::mbRight);
  Sim.Click(TMouseButton::mbMiddle);
  Sim.DoubleClick(TMouseButton::mbLeft);
  Sim.DoubleClick(TMouseButton::mbRight);
  Sim.DoubleClick(TMouseButton::mbMiddle);
  Sim.Wheel();
  Sim.Engine.CountInputMessage(kMsgSysKeyUp);
  Sim.Engine.CountInputMessage(526); // horizontal wheel: not counted
  EXPECT_EQ(Count(ttMouseClicks), 3u);
  EXPECT_EQ(Count(ttMouseDClicks), 0u);
  EXPECT_EQ(Count(ttMouseWheel), 1u);
  EXPECT_EQ(Count(ttKeystrokes), 1u);
  EXPECT_EQ(Count(ttGlobalInput), 5u);
  EXPECT_EQ(Count(ttTime), 0u);
  EXPECT_EQ(Count(7), 0u);
  EXPECT_EQ(Count(255), 0u);
}

TEST_F(TraceIntake, CountsWrapAfterTheLargestValueAndTimesFollowTheTickCounter) {
  TTraceState &state = Sim.Engine.TraceState;
  state.Counters[ttKeystrokes].Count = 0xFFFFFFFDu;
  state.Counters[ttGlobalInput].Count = 0xFFFFFFFEu;
  Sim.Clock.SetWallClock(At(2026, 12, 9, 18, 0, 0)); // the wall clock does not matter
  Sim.Clock.Advance(1500);
  Sim.KeyStroke();
  EXPECT_EQ(Count(ttKeystrokes), 0xFFFFFFFEu);
  EXPECT_EQ(Count(ttGlobalInput), 0u);
  Sim.KeyStroke();
  EXPECT_EQ(Count(ttKeystrokes), 0u);
  EXPECT_NEAR(ToSeconds(state.Counters[ttKeystrokes].Time - state.Start), 1.5, 1e-3);
  EXPECT_EQ(state.Counters[ttKeystrokes].Time, state.Counters[ttGlobalInput].Time);
}

TEST_F(TraceIntake, StartAndStopSetTheStateHooksAndTimer) {
  TTraceState &state = Sim.Engine.TraceState;
  EXPECT_TRUE(state.Active);
  EXPECT_FALSE(state.Paused);
  EXPECT_DOUBLE_EQ(state.StartTick, 5000);
  EXPECT_EQ(state.Start, At(2026, 12, 9, 10, 0, 0));
  ASSERT_TRUE(state.Rules);
  EXPECT_EQ(state.Rules->size(), 5u);
  EXPECT_TRUE(Sim.Timer.Enabled());
  EXPECT_EQ(Sim.Timer.IntervalMs(), 1000u);
  EXPECT_TRUE(Sim.Hooks.Installed(kKeyboardHook));
  EXPECT_TRUE(Sim.Hooks.Installed(kMouseHook));

  EXPECT_TRUE(Sim.Engine.StopTracing());
  EXPECT_FALSE(state.Rules);
  EXPECT_FALSE(state.Active);
  EXPECT_FALSE(Sim.Timer.Enabled());
  EXPECT_FALSE(Sim.Hooks.Installed(kKeyboardHook));
  EXPECT_FALSE(Sim.Engine.StopTracing()); // nothing left to remove
}

TEST(TraceHooks, MouseHookIsOnlyTriedAfterTheKeyboardHook) {
  TTraceSimulation sim(At(2026, 12, 9, 10, 0, 0));
  sim.Hooks.StartSucceeds = false;
  EXPECT_FALSE(sim.Start());
  ASSERT_EQ(sim.Hooks.Calls.size(), 1u);
  EXPECT_EQ(sim.Hooks.Calls[0].HookType, kKeyboardHook);
  // The timer runs anyway and the counters stay usable.
  EXPECT_TRUE(sim.Timer.Enabled());
  int updates = 0;
  sim.Engine.OnTraceUpdate = [&] { ++updates; };
  sim.Advance(3000);
  EXPECT_EQ(updates, 3);
}

TEST_F(TraceIntake, PauseKeepsCountingAndSkipsTheEvaluation) {
  int updates = 0;
  Sim.Engine.OnTraceUpdate = [&] { ++updates; };
  Sim.Advance(2000);
  Sim.Engine.Pause();
  EXPECT_TRUE(Sim.Engine.TraceState.Paused);
  TRuleList before = *Sim.Engine.TraceState.Rules;
  for (int i = 0; i < 30; ++i) {
    Sim.KeyStroke();
    Sim.Advance(1000);
  }
  EXPECT_EQ(Count(ttKeystrokes), 30u);
  EXPECT_EQ(updates, 32);
  const TRuleList &after = *Sim.Engine.TraceState.Rules;
  for (size_t i = 0; i < after.size(); ++i)
    for (int s = 0; s < kTraceStatCount; ++s)
      EXPECT_EQ(after[i].TraceMsgStats.Stats[s], before[i].TraceMsgStats.Stats[s]) << i << "/" << s;
  Sim.Engine.Resume();
  Sim.KeyStroke();
  Sim.Advance(1000);
  EXPECT_EQ((*Sim.Engine.TraceState.Rules)[1].TraceMsgStats.Stats[tsLast].Count, 31u);
  // Start only acts while paused, pause only while running.
  Sim.Engine.Resume();
  EXPECT_TRUE(Sim.Engine.TraceState.Active);
  Sim.Engine.TraceState.Active = false;
  Sim.Engine.Pause();
  EXPECT_FALSE(Sim.Engine.TraceState.Paused);
}

TEST(TraceRestart, NewDayRestartsAndKeepsActiveAndPaused) {
  // Ticks at half seconds: midnight falls between two of them.
  TTraceSimulation sim(At(2026, 12, 9, 23, 59, 50) + 500 / kMillisecondsPerDay);
  int updates = 0, restarts = 0;
  sim.Engine.OnTraceUpdate = [&] { ++updates; };
  sim.Engine.OnTraceRestart = [&] { ++restarts; };
  ASSERT_TRUE(sim.Start());
  sim.Advance(5000);
  for (int i = 0; i < 7; ++i)
    sim.KeyStroke();
  sim.Engine.Pause();
  sim.Advance(5000); // the tick at midnight
  EXPECT_EQ(restarts, 1);
  const TTraceState &state = sim.Engine.TraceState;
  EXPECT_NEAR(ToSeconds(state.Start - At(2026, 12, 10, 0, 0, 0)), 0.5, 1e-3);
  EXPECT_EQ(sim.Engine.InputCount(ttGlobalInput), 0u);
  EXPECT_FALSE(state.Active);
  EXPECT_TRUE(state.Paused);
  ASSERT_TRUE(state.Rules);
  EXPECT_EQ(state.Rules->size(), 5u);
  EXPECT_EQ(updates, 10);
  // The hooks went off and on again.
  EXPECT_EQ(sim.Hooks.Calls.size(), 6u);
  EXPECT_TRUE(sim.Hooks.Installed(kMouseHook));
  sim.Advance(60000);
  EXPECT_EQ(restarts, 1);
}

TEST(TraceRestart, ClockSetBackDoesNotRestartButTickWrapDoes) {
  TTraceSimulation sim(At(2026, 12, 10, 0, 0, 30), 0xFFFFFFFFu - 4500);
  int restarts = 0;
  sim.Engine.OnTraceRestart = [&] { ++restarts; };
  ASSERT_TRUE(sim.Start());
  sim.Advance(2000);
  sim.Clock.SetWallClock(At(2026, 12, 9, 23, 0, 0));
  sim.Advance(2000);
  EXPECT_EQ(restarts, 0);
  EXPECT_NEAR(ToSeconds(sim.Engine.TraceState.Now - At(2026, 12, 9, 23, 0, 0)), 2.0, 1e-3);
  sim.Advance(1000); // the tick counter passed 2^32
  EXPECT_EQ(restarts, 1);
  EXPECT_LT(sim.Engine.TraceState.StartTick, 1000);
  sim.Advance(5000);
  EXPECT_EQ(restarts, 1);
}

} // namespace
