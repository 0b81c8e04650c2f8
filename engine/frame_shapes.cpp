#include "engine/frame_shapes.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

namespace ovalink {

namespace {

SlotPattern Union(const SlotPattern& a, const SlotPattern& b) {
  SlotPattern out{};
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = (a[i] != 0 || b[i] != 0) ? 1 : 0;
  return out;
}

// A key's two own frames carry its code twice, so they hold about as many marks. Shapes of
// which one holds more than this many times the marks of the other are pieces of a garbled
// recording coming round (a lone mark, a frame, its tail), not frames.
constexpr int kFrameMarksRatio = 2;

bool AboutAsManyMarks(const SlotPattern& a, const SlotPattern& b) {
  const auto [fewer, more] = std::minmax({markCount(a), markCount(b)});
  return fewer > 0 && more <= kFrameMarksRatio * fewer;
}

bool CyclesThreeFrames(const CaptureParts& parts) {
  const auto& t = parts.first;
  return patternsAlike(t[0], t[3]) && patternsAlike(t[1], t[4]) && !patternsAlike(t[0], t[1]) &&
         !patternsAlike(t[0], t[2]) && !patternsAlike(t[1], t[2]);
}

// Which of `shapes` a capture's first train is, when its trains run through them in turn
// with at most `unlike` of the three unlike their shape; -1 when they do not.
int CyclePhase(const CaptureParts& capture, const std::array<SlotPattern, 3>& shapes,
               int unlike = 0) {
  for (int phase = 0; phase < 3; ++phase) {
    int misses = 0;
    for (int i = 0; i < 3; ++i) {
      if (!patternsAlike(capture.first[i], shapes[(phase + i) % 3])) ++misses;
    }
    if (misses <= unlike) return phase;
  }
  return -1;
}

// The three shapes of a capture, in the order its trains met them. The 1st and 4th trains
// (2nd and 5th) are one frame twice: together they fill a character either one lost.
std::array<SlotPattern, 3> CycleShapes(const CaptureParts& capture) {
  const auto& t = capture.first;
  return {Union(t[0], t[3]), Union(t[1], t[4]), t[2]};
}
}  // namespace

bool SomeTrainFills(const SlotPattern& shape, const std::vector<CaptureParts>& captures) {
  const auto fills = [&shape](const SlotPattern& train) {
    bool lit = false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
      if (shape[i] == 0) continue;
      lit = lit || train[i] != 0;
      const bool markEnds = i + 1 == shape.size() || shape[i + 1] == 0;
      if (markEnds && !lit) return false;
      if (markEnds) lit = false;
    }
    return true;
  };
  for (const CaptureParts& capture : captures) {
    if (std::any_of(capture.first.begin(), capture.first.end(), fills)) return true;
  }
  return false;
}

bool PressShapeBesideHoldShape(const std::vector<CaptureParts>& halves, const SlotPattern& hold,
                               SlotPattern& out) {
  SlotPattern press{};
  bool first = true;
  const auto spent = [&hold](const SlotPattern& half) {
    return patternsAlike(half, hold) || markCount(half) < kFewestMarksOfAFrame;
  };
  for (const CaptureParts& h : halves) {
    if (patternsAlike(h.odd, h.even)) return false;
    const bool oddSpent = spent(h.odd);
    const bool evenSpent = spent(h.even);
    if (oddSpent == evenSpent) return false;
    const SlotPattern& other = oddSpent ? h.even : h.odd;
    if (first) {
      press = other;
      first = false;
    } else if (similarAndMerge(press, other) != 0) {
      return false;
    }
  }
  if (first) return false;
  out = press;
  return true;
}

bool SendsFramePairs(const std::vector<CaptureParts>& halves) {
  if (halves.empty()) return false;
  const SlotPattern& p = halves.front().odd;
  const SlotPattern& q = halves.front().even;
  if (patternsAlike(p, q)) return false;
  for (const CaptureParts& h : halves) {
    const bool straight = patternsAlike(h.odd, p) && patternsAlike(h.even, q);
    const bool crossed = patternsAlike(h.odd, q) && patternsAlike(h.even, p);
    if (straight == crossed) return false;
  }
  return true;
}

bool ShapesOfFramePair(const std::vector<CaptureParts>& halves, SlotPattern& press,
                       SlotPattern& hold) {
  if (halves.empty()) return false;
  SlotPattern odd = halves.front().odd;
  SlotPattern even = halves.front().even;
  for (std::size_t i = 1; i < halves.size(); ++i) {
    if (similarAndMerge(odd, halves[i].odd) != 0) return false;
    if (similarAndMerge(even, halves[i].even) != 0) return false;
  }
  if (patternsAlike(odd, even)) return false;
  press = odd;
  hold = even;
  return true;
}

namespace {
// The first and last slot of the next mark of `p` from slot `from` on, which moves past it;
// false when there is none.
bool NextMark(const SlotPattern& p, int& from, int& first, int& last) {
  const int n = int(p.size());
  while (from < n && p[std::size_t(from)] == 0) ++from;
  if (from >= n) return false;
  first = from;
  while (from < n && p[std::size_t(from)] != 0) ++from;
  last = from - 1;
  return true;
}
}  // namespace

bool SameFrame(const SlotPattern& a, const SlotPattern& b) {
  int fromA = 0;
  int fromB = 0;
  bool marks = false;
  for (;;) {
    int firstA = 0, lastA = 0, firstB = 0, lastB = 0;
    const bool inA = NextMark(a, fromA, firstA, lastA);
    if (inA != NextMark(b, fromB, firstB, lastB)) return false;
    if (!inA) return marks;
    if (std::abs(firstA - firstB) > kFrameEdgeSlots || std::abs(lastA - lastB) > kFrameEdgeSlots) {
      return false;
    }
    marks = true;
  }
}

bool AnotherButtonHoldsWith(const CodeList& codes, int button, const SlotPattern& shape) {
  return std::any_of(codes.begin(), codes.end(), [&](const SignalCode& code) {
    return code.button != button && code.codeFlag != 0 && !wholeFrameRepeats(code) &&
           SameFrame(code.pattern2, shape);
  });
}

bool MostCapturesCycle(const std::vector<CaptureParts>& captures) {
  const auto cycling = std::count_if(captures.begin(), captures.end(), CyclesThreeFrames);
  return cycling > 0 && std::ptrdiff_t(captures.size()) - cycling <= kGarbledCapturesTolerated;
}

bool ShapesOfFrameCycle(const std::vector<CaptureParts>& holds,
                        const std::vector<CaptureParts>& sharps, SlotPattern& press,
                        SlotPattern& hold) {
  const auto reference = std::find_if(holds.begin(), holds.end(), CyclesThreeFrames);
  if (reference == holds.end()) return false;
  const std::array<SlotPattern, 3> shapes{reference->first[0], reference->first[1],
                                          reference->first[2]};
  std::array<SlotPattern, 3> merged = CycleShapes(*reference);
  std::array<int, 3> capturesAtPhase{};
  int garbled = 0;
  for (const auto* list : {&holds, &sharps}) {
    for (const CaptureParts& capture : *list) {
      if (!CyclesThreeFrames(capture)) {
        if (++garbled > kGarbledCapturesTolerated) return false;
        continue;
      }
      const int phase = CyclePhase(capture, shapes);
      if (phase < 0) {
        // A capture that runs through other frames is of another key; one that lost a
        // character or cut a mark in one frame of three is garbled.
        if (CyclePhase(capture, shapes, 1) < 0) return false;
        if (++garbled > kGarbledCapturesTolerated) return false;
        continue;
      }
      ++capturesAtPhase[phase];
      const std::array<SlotPattern, 3> trains = CycleShapes(capture);
      for (int i = 0; i < 3; ++i) {
        if (similarAndMerge(merged[(phase + i) % 3], trains[i]) != 0) return false;
      }
    }
  }
  const auto most = std::max_element(capturesAtPhase.begin(), capturesAtPhase.end());
  if (std::count(capturesAtPhase.begin(), capturesAtPhase.end(), *most) > 1) return false;
  const int phase = int(most - capturesAtPhase.begin());
  if (!AboutAsManyMarks(merged[(phase + 2) % 3], merged[phase])) return false;
  press = merged[(phase + 2) % 3];
  hold = merged[phase];
  return true;
}

}  // namespace ovalink
