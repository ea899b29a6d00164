#pragma once
// A repeating timer driven by the owner's message loop: its ticks arrive on the
// same thread as everything else, never concurrently.

#include <cstdint>
#include <functional>

class ITimer {
public:
  virtual ~ITimer() = default;
  // The handler is called on every tick while the timer is enabled.
  virtual void SetHandler(std::function<void()> onTick) = 0;
  // True when the timer runs afterwards.
  virtual bool Enable(uint32_t intervalMs) = 0;
  virtual void Disable() = 0;
  virtual bool Enabled() const = 0;
};
