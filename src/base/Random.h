#pragma once
// Where the programs take chance from. Passed in wherever something is drawn,
// so tests fix the sequence by a seed.

#include <cstdint>
#include <random>

class IRandomSource {
public:
  virtual ~IRandomSource() = default;
  // A uniform whole number from 0 to range - 1; 0 when range is 0.
  virtual uint32_t Below(uint32_t range) = 0;
};

// A seeded generator: the programs seed it from the clock, tests with a constant.
class TSeededRandom final : public IRandomSource {
public:
  explicit TSeededRandom(uint32_t seed) : engine_(seed) {}
  uint32_t Below(uint32_t range) override {
    if (range == 0)
      return 0;
    return std::uniform_int_distribution<uint32_t>(0, range - 1)(engine_);
  }

private:
  std::mt19937 engine_;
};
