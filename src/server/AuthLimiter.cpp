#include "server/AuthLimiter.h"

#include <algorithm>
#include <chrono>

TAuthLimiter::TAuthLimiter(TAuthLimits limits) : limits_(std::move(limits)) {
  limits_.Burst = std::max(limits_.Burst, 1);
  limits_.RefillMilliseconds = std::max<int64_t>(limits_.RefillMilliseconds, 1);
}

int64_t TAuthLimiter::Now() const {
  if (limits_.Clock)
    return limits_.Clock();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

int64_t TAuthLimiter::RetryAfterSeconds(const std::string &address) {
  const int64_t now = Now();
  std::lock_guard<std::mutex> guard(lock_);
  auto found = fullAt_.find(address);
  if (found == fullAt_.end())
    return 0;
  // Room for one more failure once the bucket is a whole refill below full.
  const int64_t wait = found->second - now - (limits_.Burst - 1) * limits_.RefillMilliseconds;
  return wait <= 0 ? 0 : (wait + 999) / 1000;
}

void TAuthLimiter::NoteFailure(const std::string &address) {
  const int64_t now = Now();
  // Asked before the lock: the answer may take a database's commit.
  const std::optional<int64_t> shared =
      limits_.Shared ? limits_.Shared(address, now, limits_.RefillMilliseconds) : std::nullopt;
  std::lock_guard<std::mutex> guard(lock_);
  if (fullAt_.size() >= kMaxAddresses)
    ForgetRefilled(now);
  int64_t &fullAt = fullAt_[address];
  fullAt = std::max(std::max(fullAt, now) + limits_.RefillMilliseconds, shared.value_or(0));
}

void TAuthLimiter::ForgetRefilled(int64_t now) {
  for (auto i = fullAt_.begin(); i != fullAt_.end();)
    i = i->second <= now ? fullAt_.erase(i) : std::next(i);
  // Still full: so many addresses failing at once that counting them all
  // would let them take the server's memory instead.
  if (fullAt_.size() >= kMaxAddresses)
    fullAt_.clear();
}
