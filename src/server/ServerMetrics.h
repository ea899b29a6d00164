#pragma once
// What the profile server counts for monitoring, shown at GET /metrics in
// the Prometheus text format: answers by HTTP status, how long answers took
// (a histogram), failed database work and the client connections open now.
// Counts only: no user name, address or token.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

class TServerMetrics {
public:
  // The upper bounds of the latency buckets, in seconds.
  static constexpr std::array<double, 12> kBuckets{0.0005, 0.001, 0.0025, 0.005, 0.01, 0.02,
                                                   0.05,   0.1,   0.25,   0.5,   1,    2.5};

  // One answer; seconds < 0: its time is not known (it is counted only).
  void NoteAnswer(int httpStatus, double seconds);
  void ConnectionOpened() { ++connections_; }
  void ConnectionClosed() { --connections_; }

  // The exposition text; databaseErrors comes from the store.
  std::string Text(uint64_t databaseErrors) const;

private:
  static constexpr int kFirstStatus = 100, kStatusCount = 500; // 100..599
  std::array<std::atomic<uint64_t>, kStatusCount> answers_{};
  std::array<std::atomic<uint64_t>, kBuckets.size() + 1> buckets_{}; // the last: above every bound
  std::atomic<uint64_t> microseconds_{0}; // the sum of the timed answers
  std::atomic<int64_t> connections_{0};
};
