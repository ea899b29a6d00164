#include "sim/TraceSimulation.h"

namespace {
uint32_t ButtonMessage(TMouseButton button, int offset) { // 0 down, 1 up, 2 double click
  uint32_t down = button == TMouseButton::Left    ? kMsgLButtonDown
                  : button == TMouseButton::Right ? kMsgRButtonDown
                                                  : kMsgMButtonDown;
  return down + static_cast<uint32_t>(offset);
}
} // namespace

TTraceSimulation::TTraceSimulation(TDateTime wallStart, uint32_t tickStart)
    : Clock(wallStart, tickStart), Engine(Clock, Cursor, Timer, Hooks) {
  Timer.SetHandler([this] {
    Engine.TraceTick();
    if (OnTick)
      OnTick();
  });
}

bool TTraceSimulation::Start() {
  Engine.RememberCursorPosition();
  NextTick = Elapsed + Engine.TraceInterval;
  return Engine.StartTracing();
}

void TTraceSimulation::Advance(uint64_t milliseconds) { AdvanceTo(Elapsed + milliseconds); }

void TTraceSimulation::AdvanceTo(uint64_t elapsedMs) {
  while (Timer.Enabled() && NextTick <= elapsedMs) {
    Clock.Advance(static_cast<uint32_t>(NextTick - Elapsed));
    Elapsed = NextTick;
    NextTick += Timer.IntervalMs() ? Timer.IntervalMs() : Engine.TraceInterval;
    Timer.Fire();
  }
  if (elapsedMs > Elapsed) {
    uint64_t rest = elapsedMs - Elapsed;
    while (rest > 0) { // the tick counter moves in 32-bit steps
      uint32_t step = rest > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<uint32_t>(rest);
      Clock.Advance(step);
      rest -= step;
    }
    Elapsed = elapsedMs;
  }
  if (!Timer.Enabled())
    NextTick = Elapsed + Engine.TraceInterval;
}

void TTraceSimulation::KeyPress() { Engine.HandleNotification(kKeyboardNotification, 'A', 0x00000001u); }
void TTraceSimulation::KeyRelease() { Engine.HandleNotification(kKeyboardNotification, 'A', 0xC0000001u); }
void TTraceSimulation::KeyStroke() {
  KeyPress();
  KeyRelease();
}

void TTraceSimulation::MoveTo(int32_t x, int32_t y) {
  Cursor.Position = {x, y};
  Engine.HandleNotification(kMouseNotification, kMsgMouseMove, 0);
}

void TTraceSimulation::ButtonDown(TMouseButton button) {
  Engine.HandleNotification(kMouseNotification, ButtonMessage(button, 0), 0);
}
void TTraceSimulation::ButtonUp(TMouseButton button) {
  Engine.HandleNotification(kMouseNotification, ButtonMessage(button, 1), 0);
}
void TTraceSimulation::Click(TMouseButton button) {
  ButtonDown(button);
  ButtonUp(button);
}
void TTraceSimulation::DoubleClick(TMouseButton button) {
  Engine.HandleNotification(kMouseNotification, ButtonMessage(button, 2), 0);
}
void TTraceSimulation::Wheel() { Engine.HandleNotification(kMouseNotification, kMsgMouseWheel, 0); }
