#pragma once
// How a person presses a trained key, by the form its code was trained in.

#include <cstdint>

#include "tools/quor-sim/lab.h"

namespace ovalink::quorsim {

// A code that repeats one fixed shape while held wants a sharp first press: two quick taps,
// then the key may be held. A code of two alternating shapes wants one plain press.
// Returns when the last light of the gesture begins; `frames` gets the frames it sends.
//
// The engine spends the first train of every press proving that a remote sends, so a press
// of a single frame is never recognised; a person's ordinary press is longer.
constexpr double kOrdinaryPressMs = 300;

inline std::int64_t PressLikeAPerson(Lab& lab, std::size_t key, bool pressRepeatForm,
                                     std::int64_t atNs, double holdMs,
                                     std::size_t* frames = nullptr) {
  if (!pressRepeatForm) {
    const std::int64_t start = lab.Hold(key, atNs, holdMs);
    if (frames) *frames = lab.LastPressFrames();
    return start;
  }
  const std::int64_t first = lab.Tap(key, atNs);
  const std::size_t tapFrames = lab.LastPressFrames();
  const std::int64_t free = lab.UserFreeAtNs();
  const std::int64_t second = free > first + 120 * Lab::kMs ? free : first + 120 * Lab::kMs;
  const std::int64_t start = lab.Hold(key, second, holdMs);
  if (frames) *frames = tapFrames + lab.LastPressFrames();
  return start;
}

}  // namespace ovalink::quorsim
