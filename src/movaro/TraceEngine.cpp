#include "movaro/TraceEngine.h"

TTraceEngine::TTraceEngine(IClock &clock, ICursorPosition &cursor, ITimer &traceTimer,
                           IInputHooks &hooks, TFileSystem &files)
    : Clock(clock), Cursor(cursor), Timer(traceTimer), Hooks(hooks), Files(files) {}

bool TTraceEngine::StartHooks() {
  return Hooks.StartHook(kKeyboardHook) && Hooks.StartHook(kMouseHook);
}

bool TTraceEngine::StopHooks() {
  return Hooks.StopHook(kKeyboardHook) && Hooks.StopHook(kMouseHook);
}

void TTraceEngine::RememberCursorPosition() { LastCursor = Cursor.CursorPos(); }

bool TTraceEngine::HandleNotification(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
  if (message == kKeyboardNotification) {
    uint32_t flags = static_cast<uint32_t>(lParam);
    // A press has the transition bit (31) clear and a repeat count of 1: only
    // releases count as keystrokes.
    bool pressed = (flags & 0x80000000u) == 0 && (flags & 1u) != 0;
    if (!pressed)
      CountInputMessage(kMsgKeyUp);
    return true;
  }
  if (message == kMouseNotification) {
    uint32_t mouseMessage = static_cast<uint32_t>(wParam);
    if (mouseMessage == kMsgMouseMove) {
      TCursorPoint position = Cursor.CursorPos();
      if (position == LastCursor)
        return true; // the cursor did not actually move
      LastCursor = position;
    }
    CountInputMessage(mouseMessage);
    return true;
  }
  return false;
}

void TTraceEngine::CountInputMessage(uint32_t messageNumber) {
  switch (messageNumber) {
  case kMsgKeyUp:
  case kMsgSysKeyUp: Bump(ttKeystrokes); break;
  case kMsgMouseMove: Bump(ttMouseMoves); break;
  case kMsgLButtonUp:
  case kMsgRButtonUp:
  case kMsgMButtonUp: Bump(ttMouseClicks); break;
  case kMsgMouseWheel: Bump(ttMouseWheel); break;
  default: break; // presses, double clicks and everything else
  }
}

void TTraceEngine::Bump(TTraceType traceType) {
  // Event times follow the tick counter from the start, not the wall clock.
  TDateTime t = TraceState.Start +
                (static_cast<double>(Clock.TickCount()) - TraceState.StartTick) / kMillisecondsPerDay;
  TTraceCount &counter = TraceState.Counters[traceType];
  counter.Time = t;
  counter.Count = NextTraceCount(counter.Count);
  TTraceCount &global = TraceState.Counters[ttGlobalInput];
  global.Time = t;
  global.Count = NextTraceCount(global.Count);
}

uint32_t TTraceEngine::InputCount(TTraceType traceType) const {
  if (traceType < ttGlobalInput || traceType > ttMouseWheel)
    return 0;
  return TraceState.Counters[traceType].Count;
}

bool TTraceEngine::StartTracing() {
  try {
    TraceState.Now = Clock.Now();
    TraceState.Start = TraceState.Now;
    TraceState.StartTick = Clock.TickCount();
    for (TTraceCount &counter : TraceState.Counters)
      counter = {0, TraceState.Start};
    TraceState.Prompts = TPromptTally();
    TraceState.Rules = std::make_unique<TRuleList>();
    BuildRules(*TraceState.Rules, RuleSetup, Files, TraceState.Now, Clock.TickCount());
    TraceState.Active = true;
    TraceState.Paused = false;
    bool timerRuns = Timer.Enable(TraceInterval);
    return StartHooks() && timerRuns;
  } catch (...) {
    return false;
  }
}

bool TTraceEngine::StopTracing() {
  try {
    Timer.Disable();
    TraceState.Active = false;
    TraceState.Paused = false;
    TraceState.Rules.reset();
    return StopHooks();
  } catch (...) {
    return false;
  }
}

void TTraceEngine::TraceTick() {
  TDateTime now = Clock.Now();
  // Only a day that advanced restarts; a clock set back does not.
  if (DatePart(now) > DatePart(TraceState.Now) ||
      static_cast<double>(Clock.TickCount()) < TraceState.StartTick) {
    Restart();
    return;
  }
  TraceState.Now = now;
  EvaluateRules();
}

void TTraceEngine::Restart() {
  if (OnTraceDayEnd)
    OnTraceDayEnd();
  bool active = TraceState.Active, paused = TraceState.Paused;
  StopTracing();
  StartTracing();
  TraceState.Active = active;
  TraceState.Paused = paused;
  NotifyUpdate();
  if (OnTraceRestart)
    OnTraceRestart();
}

void TTraceEngine::EvaluateRules() {
  if (TraceState.Active && TraceState.Rules) {
    const TDateTime tickDays = TraceInterval / kMillisecondsPerDay;
    for (TMsgStatRec &rule : *TraceState.Rules)
      EvaluateRule(rule, InputCount(rule.TraceMsgStats.Kind), TraceState.Now, tickDays);
  }
  NotifyUpdate();
}

void TTraceEngine::NotifyUpdate() {
  if (OnTraceUpdate)
    OnTraceUpdate();
}

void TTraceEngine::Pause() {
  if (TraceState.Active && !TraceState.Paused) {
    TraceState.Active = false;
    TraceState.Paused = true;
  }
}

void TTraceEngine::Resume() {
  if (!TraceState.Active && TraceState.Paused) {
    TraceState.Active = true;
    TraceState.Paused = false;
  }
}
