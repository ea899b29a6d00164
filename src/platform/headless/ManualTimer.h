#pragma once
// A timer whose ticks are fired by its owner (a simulation stepping virtual
// time), not by a clock.

#include "platform/Timer.h"

class TManualTimer final : public ITimer {
public:
  void SetHandler(std::function<void()> onTick) override { Handler = std::move(onTick); }
  bool Enable(uint32_t intervalMs) override {
    Interval = intervalMs;
    IsEnabled = intervalMs > 0;
    return IsEnabled;
  }
  void Disable() override { IsEnabled = false; }
  bool Enabled() const override { return IsEnabled; }
  uint32_t IntervalMs() const { return Interval; }
  // Runs the handler once if the timer is enabled.
  void Fire() {
    if (IsEnabled && Handler)
      Handler();
  }

private:
  std::function<void()> Handler;
  uint32_t Interval = 0;
  bool IsEnabled = false;
};
