#include "engine/signal_code.h"

#include <algorithm>
#include <cstring>

namespace ovalink {

namespace {
// A run of 0s may hold at most this many events; a run of 1s needs more, or, when it is
// shorter than two slots per event, more than half its length: one burst train brings
// about 1.2-1.8 events a slot, so a mark under 0.5 ms (a Sharp or RC-MM bit, an RC6
// half-bit) could never bring six.
constexpr unsigned kRunEventThreshold = 5;

unsigned ActiveRunThreshold(int length) {
  const auto half = static_cast<unsigned>(length / 2);
  return half < kRunEventThreshold ? half : kRunEventThreshold;
}
// Stray slots tolerated each way between two patterns of the same press.
constexpr int kMergeTolerance = 3;
// Two codes that fit a train within this many misfit points of each other, or within an
// eighth of the better one's misfit, fit it about equally.
constexpr int kAmbiguityPoints = 4;
constexpr int kAmbiguityShare = 8;
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
    const unsigned threshold = value == 1 ? ActiveRunThreshold(j - i) : kRunEventThreshold;
    if ((sum > threshold ? 1 : 0) == value) ++matched;
    i = j;
  }
  return matched;
}

int patternMisfit(const SlotHistogram& histogram, const SlotPattern& pattern) {
  int misfit = 0;
  for (int i = 0; i < kSlotCount; ++i) {
    if (pattern[i] == 0) {
      misfit += histogram[i];
    } else if (histogram[i] == 0) {
      ++misfit;
    }
  }
  return misfit;
}

bool misfitsAboutEqual(int better, int worse) {
  return worse - better < kAmbiguityPoints || worse - better <= better / kAmbiguityShare;
}

namespace {
struct Disagreement {
  int longest = 0;
  int runs = 0;
};

// The runs of consecutive slots where the pattern is active (or quiet, for `active` false)
// and the train heard the opposite: the longest, and how many.
Disagreement Disagreements(const SlotHistogram& histogram, const SlotPattern& pattern, bool active) {
  Disagreement found;
  int run = 0;
  for (int i = 0; i < kSlotCount; ++i) {
    run = (pattern[i] != 0) == active && (histogram[i] != 0) != active ? run + 1 : 0;
    if (run == 1) ++found.runs;
    if (run > found.longest) found.longest = run;
  }
  return found;
}
}  // namespace

int unexpectedRunCount(const SlotHistogram& histogram, const SlotPattern& pattern) {
  return Disagreements(histogram, pattern, false).runs;
}

int longestUnexpectedRun(const SlotHistogram& histogram, const SlotPattern& pattern) {
  return Disagreements(histogram, pattern, false).longest;
}

int longestMissingRun(const SlotHistogram& histogram, const SlotPattern& pattern) {
  return Disagreements(histogram, pattern, true).longest;
}

int longestSpaceInAMark(const SlotHistogram& histogram, const SlotPattern& pattern,
                        int ownMarkSlots) {
  int longest = 0;
  int lastLongEnd = -1;  // the end of the train's last long mark inside this pattern mark
  int runStart = -1;
  for (int i = 0; i <= kSlotCount; ++i) {
    const bool inMark = i < kSlotCount && pattern[i] != 0;
    if (inMark && histogram[i] != 0) {
      if (runStart < 0) runStart = i;
      continue;
    }
    if (runStart >= 0 && i - runStart >= ownMarkSlots) {
      if (lastLongEnd >= 0) longest = std::max(longest, runStart - lastLongEnd - 1);
      lastLongEnd = i - 1;
    }
    runStart = -1;
    if (!inMark) lastLongEnd = -1;
  }
  return longest;
}

namespace {
bool Active(const SlotPattern& p, int i) { return i >= 0 && i < kSlotCount && p[i] != 0; }

// The patterns differ at slot i alone, with both active on one side of it and both quiet
// on the other: one pattern's mark edge lies one slot further than the other's. Where the
// first character of a mark falls within a slot differs from press to press, so edges
// move by a slot between two captures of the same key.
bool EdgeMovedOneSlot(const SlotPattern& a, const SlotPattern& b, int i) {
  auto agree = [&](int j) { return j < 0 || j >= kSlotCount || Active(a, j) == Active(b, j); };
  if (!agree(i - 1) || !agree(i + 1)) return false;
  const bool before = Active(a, i - 1);
  const bool after = Active(a, i + 1);
  return before != after;
}
}  // namespace

int similarAndMerge(SlotPattern& a, const SlotPattern& b) {
  int extra = 0;
  int missing = 0;
  for (int i = 0; i < kSlotCount; ++i) {
    if ((a[i] != 0) == (b[i] != 0) || EdgeMovedOneSlot(a, b, i)) continue;
    if (a[i] == 0) ++extra;
    if (a[i] != 0) ++missing;
  }
  if (extra >= kMergeTolerance || missing >= kMergeTolerance) return 1;
  for (int i = 0; i < kSlotCount; ++i) a[i] = (a[i] != 0 && b[i] != 0) ? 1 : 0;
  return 0;
}

int duelScore(const SlotHistogram& histogram, const SlotPattern& a, const SlotPattern& b,
               int& slots) {
  int score = 0;
  slots = 0;
  for (int i = 0; i < kSlotCount; ++i) {
    if ((a[i] != 0) == (b[i] != 0) || EdgeMovedOneSlot(a, b, i)) continue;
    ++slots;
    const bool heard = histogram[i] != 0;
    score += heard == (a[i] != 0) ? 1 : -1;
  }
  return score;
}

bool patternsEqual(const SlotPattern& a, const SlotPattern& b) {
  return std::memcmp(a.data(), b.data(), kSlotCount) == 0;
}

bool patternsAlike(const SlotPattern& a, const SlotPattern& b) {
  SlotPattern copy = a;
  return similarAndMerge(copy, b) == 0;
}

bool wholeFrameRepeats(const SignalCode& code) {
  return code.codeFlag != 0 && patternsAlike(code.pattern1, code.pattern2);
}

int markCount(const SlotPattern& pattern) {
  int marks = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    marks += pattern[i] != 0 && (i == 0 || pattern[i - 1] == 0);
  }
  return marks;
}

bool isRegistered(const CodeList& codes, const SlotPattern& pattern) {
  for (const SignalCode& code : codes) {
    if (patternsEqual(code.pattern1, pattern) || patternsEqual(code.pattern2, pattern)) return true;
  }
  return false;
}

bool resemblesRegistered(const CodeList& codes, const SlotPattern& pattern) {
  for (const SignalCode& code : codes) {
    SlotPattern copy = pattern;
    if (similarAndMerge(copy, code.pattern1) == 0) return true;
    copy = pattern;
    if (similarAndMerge(copy, code.pattern2) == 0) return true;
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
