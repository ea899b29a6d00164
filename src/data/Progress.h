#pragma once
// A progress gauge shown during a long load: a value 0..100, a visibility, and
// a hook that lets pending window messages run between steps.

class IProgressGauge {
public:
  virtual ~IProgressGauge() = default;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetProgress(int percent) = 0;
  virtual void ProcessPendingMessages() = 0;
};
