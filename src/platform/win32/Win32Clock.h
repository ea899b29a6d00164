#pragma once
// The system's local time and millisecond tick counter.
#include "platform/Clock.h"

class TWin32Clock final : public IClock {
public:
  TDateTime Now() override;
  uint32_t TickCount() override;
};
