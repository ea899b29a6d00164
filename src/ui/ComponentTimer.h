#pragma once
// A timer of the platform interface on a timer component: its ticks come
// from the application's message loop (real, or virtual time headless) like
// those of every other timer of the form that owns the component.

#include "platform/Timer.h"
#include "ui/Forms.h"

class TComponentTimer final : public ITimer {
public:
  // The component stays off until Enable.
  explicit TComponentTimer(TTimer &timer) : timer_(timer) { timer_.SetEnabled(false); }
  void SetHandler(std::function<void()> onTick) override {
    timer_.OnTimer = [onTick = std::move(onTick)](TComponent &) {
      if (onTick)
        onTick();
    };
  }
  bool Enable(uint32_t intervalMs) override {
    timer_.SetInterval(intervalMs);
    timer_.SetEnabled(intervalMs > 0);
    return timer_.Enabled();
  }
  void Disable() override { timer_.SetEnabled(false); }
  bool Enabled() const override { return timer_.Enabled(); }

private:
  TTimer &timer_;
};
