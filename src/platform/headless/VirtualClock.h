#pragma once
// A clock that only moves when told to: the wall clock and the tick counter
// advance together, the tick counter wrapping at 2^32 as the real one does.
// The wall clock is computed from whole elapsed milliseconds, so a day of
// small steps lands exactly where one large step would.

#include "platform/Clock.h"

class TVirtualClock final : public IClock {
public:
  explicit TVirtualClock(TDateTime wallClock = 0, uint32_t tickCount = 0)
      : Base(wallClock), Tick(tickCount) {}
  TDateTime Now() override { return Base + static_cast<double>(ElapsedMs) / kMillisecondsPerDay; }
  uint32_t TickCount() override { return Tick; }

  void Advance(uint32_t milliseconds) {
    ElapsedMs += milliseconds;
    Tick += milliseconds; // wraps modulo 2^32
  }
  // Sets the wall clock alone, as a user setting the time does.
  void SetWallClock(TDateTime wallClock) {
    Base = wallClock;
    ElapsedMs = 0;
  }
  void SetTickCount(uint32_t tickCount) { Tick = tickCount; }

private:
  TDateTime Base;
  int64_t ElapsedMs = 0;
  uint32_t Tick;
};
