#include "engine/signal_code.h"

#include <cstring>

namespace ovalink {

namespace {
// A run of 1s needs more than this many events; a run of 0s may hold at most this many.
constexpr unsigned kRunEventThreshold = 5;
// Stray slots tolerated each way between two patterns of the same press.
constexpr int kMergeTolerance = 3;
}  // namespace

SlotPattern thresholdPattern(const SlotHistogram& histogram, int limit) {
  SlotPattern pattern;
  for (int i = 0; i < kSlotCount; ++i) pattern[i] = int(histogram[i]) >= limit ? 1 : 0;
  return pattern;
}

int matchRuns(const SlotHistogram& histogram, const SlotPattern& pattern, int compareLength,
              int& total) {
  int matched = 0;
  total = 0;
  int i = 0;
  while (i < compareLength && i < kSlotCount) {
    const std::uint8_t value = pattern[i];
    ++total;
    unsigned sum = 0;
    int j = i;
    while (j < kSlotCount && pattern[j] == value) {
      sum += histogram[j];
      ++j;
    }
    if ((sum > kRunEventThreshold ? 1 : 0) == value) ++matched;
    i = j;
  }
  return matched;
}

int similarAndMerge(SlotPattern& a, const SlotPattern& b) {
  int extra = 0;
  int missing = 0;
  for (int i = 0; i < kSlotCount; ++i) {
    if (a[i] == 0 && b[i] != 0) ++extra;
    if (a[i] != 0 && b[i] == 0) ++missing;
  }
  if (extra >= kMergeTolerance || missing >= kMergeTolerance) return 1;
  for (int i = 0; i < kSlotCount; ++i) a[i] = (a[i] != 0 && b[i] != 0) ? 1 : 0;
  return 0;
}

bool patternsEqual(const SlotPattern& a, const SlotPattern& b) {
  return std::memcmp(a.data(), b.data(), kSlotCount) == 0;
}

bool isRegistered(const CodeList& codes, const SlotPattern& pattern) {
  for (const SignalCode& code : codes) {
    if (patternsEqual(code.pattern1, pattern) || patternsEqual(code.pattern2, pattern)) return true;
  }
  return false;
}

int computeCompareLength(const CodeList& codes) {
  for (int s = kSlotCount - 1; s >= 0; --s) {
    for (const SignalCode& code : codes) {
      if (code.pattern1[s] != 0 || code.pattern2[s] != 0) return s + 1;
    }
  }
  return 0;
}

}  // namespace ovalink
