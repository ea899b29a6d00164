#include "sim/TraceSimulation.h"

namespace {
uint32_t ButtonMessage(TMouseButton button, int offset) { // 0 down, 1 up, 2 double click
  uint32_t down = button == TMouseButton::mbLeft    ? kMsgLButtonDown
                  : button == TMouseButton::mbRight ? kMsgRButtonDown
                                                  : kMsgMButtonDown;
  return down + static_cast<uint32_t>(offset);
}
} // namespace

TTraceSimulation::TTraceSimulation(TDateTime wallStart, uint32_t tickStart)
    : Clock(wallStart, tickStart), Engine(Clock, Cursor, Timer, Hooks, Files) {
  Drive(Engine);
}

void TTraceSimulation::Drive(TTraceEngine &engine) {
  target_ = &engine;
  Timer.SetHandler([this] {
    target_->TraceTick();
    if (OnTick)
      OnTick();
  });
}

bool TTraceSimulation::Start(const std::function<bool()> &start) {
  target_->RememberCursorPosition();
  NextTick = Elapsed + target_->TraceInterval;
  return start ? start() : target_->StartTracing();
}

void TTraceSimulation::Advance(uint64_t milliseconds) { AdvanceTo(Elapsed + milliseconds); }

void TTraceSimulation::AdvanceTo(uint64_t elapsedMs) {
  while (Timer.Enabled() && NextTick <= elapsedMs) {
    Clock.Advance(static_cast<uint32_t>(NextTick - Elapsed));
    Elapsed = NextTick;
    NextTick += Timer.IntervalMs() ? Timer.IntervalMs() : target_->TraceInterval;
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
    NextTick = Elapsed + target_->TraceInterval;
}

void TTraceSimulation::KeyPress() { target_->HandleNotification(kKeyboardNotification, 'A', 0x00000001u); }
void TTraceSimulation::KeyRelease() { target_->HandleNotification(kKeyboardNotification, 'A', 0xC0000001u); }
void TTraceSimulation::KeyStroke() {
  KeyPress();
  KeyRelease();
}

void TTraceSimulation::MoveTo(int32_t x, int32_t y) {
  Cursor.Position = {x, y};
  target_->HandleNotification(kMouseNotification, kMsgMouseMove, 0);
}

void TTraceSimulation::ButtonDown(TMouseButton button) {
  target_->HandleNotification(kMouseNotification, ButtonMessage(button, 0), 0);
}
void TTraceSimulation::ButtonUp(TMouseButton button) {
  target_->HandleNotification(kMouseNotification, ButtonMessage(button, 1), 0);
}
void TTraceSimulation::Click(TMouseButton button) {
  ButtonDown(button);
  ButtonUp(button);
}
void TTraceSimulation::DoubleClick(TMouseButton button) {
  target_->HandleNotification(kMouseNotification, ButtonMessage(button, 2), 0);
}
void TTraceSimulation::Wheel() { target_->HandleNotification(kMouseNotification, kMsgMouseWheel, 0); }
