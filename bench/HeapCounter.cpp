#include "HeapCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<uint64_t> g_allocations{0};
std::atomic<int64_t> g_live{0};
std::atomic<int64_t> g_peak{0};
constexpr std::size_t kHeader = 16; // keeps the block's size; keeps alignment
} // namespace

uint64_t HeapAllocations() { return g_allocations.load(); }
int64_t HeapLiveBytes() { return g_live.load(); }
int64_t HeapPeakBytes() { return g_peak.load(); }
void ResetHeapPeak(int64_t value) { g_peak.store(value); }

// GCC cannot see that this new and delete belong together once inlined.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void *operator new(std::size_t size) {
  void *block = std::malloc(size + kHeader);
  if (!block)
    throw std::bad_alloc();
  *static_cast<std::size_t *>(block) = size;
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  int64_t now = g_live.fetch_add(static_cast<int64_t>(size)) + static_cast<int64_t>(size);
  int64_t peak = g_peak.load();
  while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
  }
  return static_cast<char *>(block) + kHeader;
}
void operator delete(void *p) noexcept {
  if (!p)
    return;
  void *block = static_cast<char *>(p) - kHeader;
  g_live.fetch_sub(static_cast<int64_t>(*static_cast<std::size_t *>(block)));
  std::free(block);
}
void operator delete(void *p, std::size_t) noexcept { operator delete(p); }
