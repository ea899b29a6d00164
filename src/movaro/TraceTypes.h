#pragma once
// The values the activity monitor counts with: a count paired with a moment or
// a duration, and which counter a value belongs to.

#include "base/DateTime.h"

#include <cstdint>

struct TTraceCount {
  uint32_t Count = 0;
  TDateTime Time = 0;
  friend bool operator==(const TTraceCount &, const TTraceCount &) = default;
};

// Trace types: which activity counter (ttTime: the clock alone).
using TTraceType = uint8_t;
constexpr TTraceType ttTime = 0;
constexpr TTraceType ttGlobalInput = 1;
constexpr TTraceType ttKeystrokes = 2;
constexpr TTraceType ttMouseMoves = 3;
constexpr TTraceType ttMouseClicks = 4;
constexpr TTraceType ttMouseDClicks = 5;
constexpr TTraceType ttMouseWheel = 6;
constexpr int kTraceTypeCount = 7;

// Counts run from 0 to 0xFFFFFFFE and then start again at 0.
constexpr uint32_t kMaxTraceCount = 0xFFFFFFFEu;
inline uint32_t NextTraceCount(uint32_t count) {
  return count >= kMaxTraceCount ? 0 : count + 1;
}
