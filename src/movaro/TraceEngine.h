#pragma once
// The activity monitor: counts the input notifications posted by the hook
// library, ticks once per TraceInterval, restarts itself on a new calendar day
// (or when the millisecond tick counter wrapped) and evaluates the trace rules.
//
// One TTraceEngine exists per program (the real program has exactly one); it
// runs entirely on the user-interface thread, so nothing in it is locked.
// Clock, cursor, timer, hooks and the file system of the rule file are passed in.

#include "movaro/TraceRules.h"
#include "movaro/TraceTypes.h"
#include "platform/Clock.h"
#include "platform/InputDevices.h"
#include "platform/Timer.h"

#include <cstdint>
#include <functional>
#include <memory>

// Window-message numbers the counters are fed with.
constexpr uint32_t kMsgKeyUp = 257, kMsgSysKeyUp = 261;
constexpr uint32_t kMsgMouseMove = 512;
constexpr uint32_t kMsgLButtonDown = 513, kMsgLButtonUp = 514, kMsgLButtonDblClk = 515;
constexpr uint32_t kMsgRButtonDown = 516, kMsgRButtonUp = 517, kMsgRButtonDblClk = 518;
constexpr uint32_t kMsgMButtonDown = 519, kMsgMButtonUp = 520, kMsgMButtonDblClk = 521;
constexpr uint32_t kMsgMouseWheel = 522;

// The day's break prompts as the scheduler saw them, restarted with the
// counters (the day record adds up the monitoring sessions of one day).
struct TPromptTally {
  int32_t ShortPrompts = 0, LongPrompts = 0; // shown on screen
  int32_t RestedThrough = 0;     // of those: no input until the prompt's time was over
  int32_t BlockedBreaks = 0;     // shown with the input blocking window
  int32_t QuestionsAnswered = 0; // status questions answered yes or no
};

struct TTraceState {
  bool Active = false;  // rules are evaluated only while set
  bool Paused = false;  // the user paused monitoring
  TDateTime Now = 0;    // wall clock at the latest tick
  TDateTime Start = 0;  // wall clock at the latest (re)start
  double StartTick = 0; // millisecond tick count at the same moment
  TTraceCount Counters[kTraceTypeCount]; // [ttGlobalInput..ttMouseWheel]; [ttTime] unused
  std::unique_ptr<TRuleList> Rules;      // null while tracing is stopped
  TPromptTally Prompts;
};

class TTraceEngine {
public:
  TTraceEngine(IClock &clock, ICursorPosition &cursor, ITimer &traceTimer, IInputHooks &hooks,
               TFileSystem &files);
  TTraceEngine(const TTraceEngine &) = delete;
  TTraceEngine &operator=(const TTraceEngine &) = delete;

  TTraceState TraceState;
  // Called after every evaluation pass (also while paused) and every restart.
  std::function<void()> OnTraceUpdate;
  // Called first in a restart, while the state still holds the day that ended.
  std::function<void()> OnTraceDayEnd;
  // Called last in a restart: the owner saves and reloads the profile (which
  // sets the rebuilt rules' periods) and refreshes its status display.
  std::function<void()> OnTraceRestart;
  // Texts, rule file and Traces list used each time the rules are built.
  TRuleSetup RuleSetup;
  const uint32_t TraceInterval = 1000; // milliseconds per trace tick

  // The hook pair: keyboard first, the mouse only after the keyboard succeeded.
  bool StartHooks();
  bool StopHooks();

  // The notification intake of the monitoring window. Returns true when the
  // message was one of the two notifications (the window then goes on with
  // its normal processing).
  bool HandleNotification(uint32_t message, uintptr_t wParam, uintptr_t lParam);
  // Takes the cursor position as the one last seen (at window creation).
  void RememberCursorPosition();

  void CountInputMessage(uint32_t messageNumber);
  uint32_t InputCount(TTraceType traceType) const;

  bool StartTracing();
  bool StopTracing();
  // One tick of the trace timer.
  void TraceTick();
  void EvaluateRules();

  // The pause and start buttons.
  void Pause();
  void Resume();

private:
  void Bump(TTraceType traceType);
  void Restart();
  void NotifyUpdate();

  IClock &Clock;
  ICursorPosition &Cursor;
  ITimer &Timer;
  IInputHooks &Hooks;
  TFileSystem &Files;
  TCursorPoint LastCursor;
};
