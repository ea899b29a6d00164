#pragma once
// A progress gauge shown during a long load: a value 0..100, a visibility, and
// a hook that lets pending window messages run between steps.

#include <cstdint>

// part of whole in whole percent, rounded down; 0 when there is no whole.
inline int Percent(int64_t part, int64_t whole) {
  return whole > 0 ? static_cast<int>(part * 100 / whole) : 0;
}

class IProgressGauge {
public:
  virtual ~IProgressGauge() = default;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetProgress(int percent) = 0;
  virtual void ProcessPendingMessages() = 0;
};
