#pragma once
// Heap use of the benchmark program, counted by its global operator new:
// the number of allocations, the bytes alive now and the peak of those.
#include <cstdint>

uint64_t HeapAllocations();
int64_t HeapLiveBytes();
int64_t HeapPeakBytes();
// Starts a new peak from the given value (usually the bytes alive now).
void ResetHeapPeak(int64_t value);
