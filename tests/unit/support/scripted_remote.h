#pragma once
// A crude remote for engine tests: a shape is a list of marks, each turned into characters at
// the SIR character rate, and a press is a series of frames of one shape.

#include <algorithm>
#include <utility>
#include <vector>

#include "support/engine_fixture.h"

namespace ovalink::test {

// Marks as (start, length) in microseconds from the start of the frame.
using Shape = std::vector<std::pair<int, int>>;

constexpr std::int64_t kCharacterNs = 61'000;
constexpr std::int64_t kFramePeriodNs = 40 * SimulatedPc::kMs;

inline void AddFrame(ScriptedInput& input, std::int64_t startNs, const Shape& shape) {
  for (auto [markUs, lengthUs] : shape) {
    const int count = int(std::int64_t(lengthUs) * 1000 / kCharacterNs) + 1;
    input.AddBurst(startNs + markUs * SimulatedPc::kUs, count, kCharacterNs);
  }
}

// When the last character of a frame of `shape` that starts at `startNs` completes.
inline std::int64_t FrameEndNs(std::int64_t startNs, const Shape& shape) {
  std::int64_t end = startNs;
  for (auto [markUs, lengthUs] : shape) {
    const int count = int(std::int64_t(lengthUs) * 1000 / kCharacterNs) + 1;
    end = std::max(end, startNs + markUs * SimulatedPc::kUs + (count - 1) * kCharacterNs);
  }
  return end;
}

// `frames` frames of `shape`, one every 40 ms from `startNs`; returns the end of the press.
inline std::int64_t AddPress(ScriptedInput& input, std::int64_t startNs, const Shape& shape,
                             int frames) {
  for (int i = 0; i < frames; ++i) AddFrame(input, startNs + i * kFramePeriodNs, shape);
  return startNs + frames * kFramePeriodNs;
}

// A press whose first frame (eaten by the probe) differs from the frames that follow.
inline std::int64_t AddPressWithRepeats(ScriptedInput& input, std::int64_t startNs,
                                        const Shape& first, const Shape& repeat, int repeats) {
  AddFrame(input, startNs, first);
  return AddPress(input, startNs + kFramePeriodNs, repeat, repeats);
}

// Distinct shapes, all starting with the same 2 ms leader.
inline Shape ShapeWithMarkAt(int markUs) { return {{0, 2000}, {markUs, 1000}}; }

}  // namespace ovalink::test
