#pragma once
// The activity monitor in virtual time: a trace engine wired to a virtual
// clock, cursor, timer and hooks. Input events are handed to the engine as the
// hook library's notifications, and the trace timer fires every TraceInterval
// of virtual time, so a day of typing runs in milliseconds.

#include "movaro/TraceEngine.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/ManualTimer.h"
#include "platform/headless/VirtualClock.h"
#include "ui/Component.h" // the mouse buttons

#include <cstdint>
#include <functional>

class TTraceSimulation {
public:
  // Virtual time 0 is the wall-clock moment wallStart, with the system's tick
  // counter at tickStart.
  explicit TTraceSimulation(TDateTime wallStart, uint32_t tickStart = 0);

  // Remembers the cursor position (as the window does when it is created) and
  // starts tracing, or calls start to do so (a program starting its monitor).
  bool Start(const std::function<bool()> &start = {});
  // Runs virtual time forward, firing the trace timer on the way.
  void Advance(uint64_t milliseconds);
  void AdvanceTo(uint64_t elapsedMs);
  uint64_t ElapsedMs() const { return Elapsed; }

  // Input, posted as the hook library posts it.
  void KeyPress();
  void KeyRelease();
  void KeyStroke(); // press and release
  void MoveTo(int32_t x, int32_t y);
  void ButtonDown(TMouseButton button);
  void ButtonUp(TMouseButton button);
  void Click(TMouseButton button = TMouseButton::mbLeft);
  void DoubleClick(TMouseButton button = TMouseButton::mbLeft); // as a window would see it
  void Wheel();

  TVirtualClock Clock;
  TVirtualCursor Cursor;
  TManualTimer Timer;
  TRecordingInputHooks Hooks;
  THeadlessFileSystem Files; // the rule file's
  TTraceEngine Engine;
  // Called after each trace tick, as the main window's own timer work would be.
  std::function<void()> OnTick;

  // Hands input and ticks to another engine built on this simulation's clock,
  // cursor, timer, hooks and files (a whole program's, for example) instead
  // of its own.
  void Drive(TTraceEngine &engine);
  TTraceEngine &Driven() const { return *target_; }

private:
  TTraceEngine *target_ = &Engine;
  uint64_t Elapsed = 0;
  uint64_t NextTick = 0;
};
