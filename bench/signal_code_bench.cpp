// Cost of the comparisons recognition and training make per call, on NEC-like patterns:
// recognition runs matchRuns up to twice per trained button for every captured train, and
// twice more, with a duel each, to make sure a match stands out.

#include <benchmark/benchmark.h>

#include "engine/signal_code.h"

namespace ovalink {
namespace {

// A 9 ms leader, then 32 bits of 0.56 ms marks with short or long spaces: about 70 runs.
SlotPattern NecLikePattern(std::uint32_t code) {
  SlotPattern p{};
  int slot = 0;
  auto mark = [&](int slots) {
    for (int i = 0; i < slots && slot < kSlotCount; ++i) p[std::size_t(slot++)] = 1;
  };
  mark(90);
  slot += 45;
  for (int bit = 0; bit < 32; ++bit) {
    mark(6);
    slot += (code >> bit & 1) ? 17 : 6;
  }
  mark(6);
  return p;
}

SlotHistogram HistogramOf(const SlotPattern& p) {
  SlotHistogram h{};
  for (int i = 0; i < kSlotCount; ++i) h[std::size_t(i)] = p[std::size_t(i)] ? 2 : 0;
  return h;
}

void BM_MatchRunsFullMatch(benchmark::State& state) {
  const SlotPattern pattern = NecLikePattern(0x20DF10EF);
  const SlotHistogram histogram = HistogramOf(pattern);
  int total = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(matchRuns(histogram, pattern, 700, total));
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_MatchRunsFullMatch);

void BM_MatchRunsOtherKey(benchmark::State& state) {
  const SlotPattern pattern = NecLikePattern(0x20DF10EF);
  const SlotHistogram histogram = HistogramOf(NecLikePattern(0x20DF906F));
  int total = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(matchRuns(histogram, pattern, 700, total));
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_MatchRunsOtherKey);

void BM_SimilarAndMergeAlike(benchmark::State& state) {
  const SlotPattern a = NecLikePattern(0x20DF10EF);
  SlotPattern b = a;
  b[140] ^= 1;
  for (auto _ : state) {
    SlotPattern first = a;
    benchmark::DoNotOptimize(similarAndMerge(first, b));
    benchmark::DoNotOptimize(first);
  }
}
BENCHMARK(BM_SimilarAndMergeAlike);

void BM_SimilarAndMergeDifferent(benchmark::State& state) {
  SlotPattern a = NecLikePattern(0x20DF10EF);
  const SlotPattern b = NecLikePattern(0x20DF906F);
  for (auto _ : state) {
    benchmark::DoNotOptimize(similarAndMerge(a, b));
    benchmark::DoNotOptimize(a);
  }
}
BENCHMARK(BM_SimilarAndMergeDifferent);

// One duel between two keys' shapes: recognition makes one for every further pattern a train
// matches, and one for every pattern that matches but for one run.
void BM_DuelScore(benchmark::State& state) {
  const SlotPattern a = NecLikePattern(0x20DF10EF);
  const SlotPattern b = NecLikePattern(0x20DF906F);
  const SlotHistogram histogram = HistogramOf(a);
  int slots = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(duelScore(histogram, a, b, slots));
    benchmark::DoNotOptimize(slots);
  }
}
BENCHMARK(BM_DuelScore);

// A whole recognition scan over 34 trained buttons, both patterns each, no match.
void BM_ScanOf34Codes(benchmark::State& state) {
  CodeList codes(34);
  for (std::size_t i = 0; i < codes.size(); ++i) {
    codes[i].pattern1 = NecLikePattern(0x20DF0000u + std::uint32_t(i) * 0x1357u);
    codes[i].pattern2 = NecLikePattern(0x10EF0000u + std::uint32_t(i) * 0x2468u);
  }
  const int compareLength = computeCompareLength(codes);
  const SlotHistogram histogram = HistogramOf(NecLikePattern(0xFFFFFFFF));
  for (auto _ : state) {
    int total = 0;
    int matched = 0;
    for (const SignalCode& code : codes) {
      matched += matchRuns(histogram, code.pattern1, compareLength, total);
      matched += matchRuns(histogram, code.pattern2, compareLength, total);
    }
    benchmark::DoNotOptimize(matched);
  }
}
BENCHMARK(BM_ScanOf34Codes);

}  // namespace
}  // namespace ovalink
