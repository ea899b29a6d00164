#pragma once
// Time as the system reads it: the local wall clock and the millisecond tick
// counter (time since the system started, 32 bits, wrapping about every 49.7
// days). Passed in wherever time is taken, so tests can run in virtual time.

#include "base/DateTime.h"

#include <cstdint>

class IClock {
public:
  virtual ~IClock() = default;
  virtual TDateTime Now() = 0;       // local wall-clock date-time
  virtual uint32_t TickCount() = 0;  // milliseconds since the system started
};
