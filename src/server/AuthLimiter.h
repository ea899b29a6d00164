#pragma once
// Failed authentications counted per client address, so that tokens and
// enrolment codes cannot be guessed at speed: each address has a bucket of
// Burst failures that refills by one every RefillMilliseconds; an address
// whose bucket is empty is refused until it refills.
//
// Servers behind one load balancer count together through Shared: each
// failure is noted there, and the answer (every server's failures) is what
// this server then refuses by. The refusal itself is decided here without
// asking, so an address gets at most one more failure per further server
// than the limit, and requests that do not fail cost nothing.

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

struct TAuthLimits {
  int Burst = 10;                    // failures allowed at once
  int64_t RefillMilliseconds = 6000; // one more allowed after each of these
  // Milliseconds; empty: the system's clock (Unix time), which servers on
  // one database share.
  std::function<int64_t()> Clock;
  // Notes a failure of the address at now for everyone counting together and
  // answers when its bucket is full again (Clock's time), counting all their
  // failures; none when it could not. Empty: this server counts alone.
  std::function<std::optional<int64_t>(const std::string &address, int64_t now, int64_t refill)> Shared;
};

class TAuthLimiter {
public:
  // Addresses remembered at most; beyond this the refilled ones are forgotten.
  static constexpr size_t kMaxAddresses = 100000;

  explicit TAuthLimiter(TAuthLimits limits);
  // 0 when the address may try now; otherwise the whole seconds after which
  // it may (at least 1).
  int64_t RetryAfterSeconds(const std::string &address);
  void NoteFailure(const std::string &address);

private:
  int64_t Now() const;
  void ForgetRefilled(int64_t now);

  TAuthLimits limits_;
  std::mutex lock_;
  // Per address, the time at which its bucket is full again.
  std::unordered_map<std::string, int64_t> fullAt_;
};
