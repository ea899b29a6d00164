// Sequential GetItem over a long chain costs one step per call; random access
// walks up to half the distance from the nearest of cursor, First and Last.
#include "data/chain/PointerChain.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

void FillChain(TPointerChain &chain, std::vector<int> &values) {
  for (auto &v : values)
    chain.Add(&v);
}

void BM_ChainSequentialGetItem(benchmark::State &state) {
  const int32_t n = static_cast<int32_t>(state.range(0));
  std::vector<int> values(n);
  TPointerChain chain("Bench");
  FillChain(chain, values);
  int32_t position = 0;
  for (auto _ : state) {
    position = position % n + 1;
    benchmark::DoNotOptimize(chain.GetItem(position));
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_ChainSequentialGetItem)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

void BM_ChainRandomGetItem(benchmark::State &state) {
  const int32_t n = static_cast<int32_t>(state.range(0));
  std::vector<int> values(n);
  TPointerChain chain("Bench");
  FillChain(chain, values);
  std::mt19937 random(42);
  std::uniform_int_distribution<int32_t> pick(1, n);
  std::vector<int32_t> positions(4096);
  for (auto &p : positions)
    p = pick(random);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(chain.GetItem(positions[i++ & 4095]));
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_ChainRandomGetItem)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

} // namespace
