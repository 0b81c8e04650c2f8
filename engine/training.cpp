// Training: guides the user through holds and sharp presses, decides the code's form,
// refuses duplicates and stores the code.

#include <algorithm>
#include <cstddef>
#include <utility>

#include "engine/code_registry.h"
#include "engine/engine_types.h"
#include "engine/frame_shapes.h"
#include "engine/rc_listener.h"
#include "engine/training_prompts.h"

namespace ovalink {

namespace {
constexpr std::uint32_t kReleasePauseMs = 3000;
constexpr std::int64_t kPatternTimeLimitSeconds = 15;
constexpr int kHoldPatterns = 4;
constexpr int kSharpPatterns = 2;

// Each half of a capture holds about half its trains, so half the threshold, rounded up: a
// character lost from one of two trains must not cut a hole in the shape.
int HalfLimit(int limit) { return (limit + 1) / 2; }

bool NamesAKey(const SlotPattern& shape) { return markCount(shape) >= kFewestMarksOfAFrame; }

// A mark of any remote spans more slots than this (NEC's shortest, 0.56 ms, spans five or six).
// Where a receiver starts a character on a low line too, one train meets two characters in
// up to three slots running.
constexpr std::size_t kStrayRunSlots = 3;

// Whether `withStrays` is `shape` plus runs too short to be marks: every slot of `shape` is
// in it (a mark edge one slot off aside), and what it adds lies in runs of at most
// kStrayRunSlots slots, away from the edges of `shape`. A hold whose first train was the press
// frame shows such strays where that one train met two characters in one slot.
bool ShapeWithStrays(const SlotPattern& shape, const SlotPattern& withStrays) {
  const std::size_t n = shape.size();
  const auto activeNear = [n](const SlotPattern& p, std::size_t i) {
    return p[i] != 0 || (i > 0 && p[i - 1] != 0) || (i + 1 < n && p[i + 1] != 0);
  };
  bool strays = false;
  std::size_t run = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (shape[i] != 0 && !activeNear(withStrays, i)) return false;
    const bool stray = withStrays[i] != 0 && !activeNear(shape, i);
    run = stray ? run + 1 : 0;
    if (run > kStrayRunSlots) return false;
    strays = strays || stray;
  }
  return strays;
}

// `shape` without its runs of at most kStrayRunSlots slots.
SlotPattern WithoutStrays(const SlotPattern& shape) {
  SlotPattern out = shape;
  for (std::size_t i = 0; i < out.size();) {
    std::size_t end = i;
    while (end < out.size() && out[end] != 0) ++end;
    if (end > i && end - i <= kStrayRunSlots) {
      std::fill(out.begin() + std::ptrdiff_t(i), out.begin() + std::ptrdiff_t(end), 0);
    }
    i = end > i ? end : i + 1;
  }
  return out;
}

// Whether two held captures show one shape. A remote that sends its frame before repeating a
// shorter code leaves that frame in one train of each capture, and its strays fall differently
// from capture to capture: alike without them is alike. Alike as they stand, the first becomes
// both; alike only without strays, it stays as captured, since its strays are the key's own
// frame and make the hold shape the key's own (a second frame of the press continues it).
bool HoldsAlike(SlotPattern& first, const SlotPattern& second) {
  if (similarAndMerge(first, second) == 0) return true;
  SlotPattern bare = WithoutStrays(first);
  return NamesAKey(bare) && similarAndMerge(bare, WithoutStrays(second)) == 0;
}
}  // namespace

int RCListener::capturePatterns(int count, const std::string& prompt,
                                std::vector<SlotPattern>& out, std::vector<CaptureParts>* parts) {
  out.clear();
  if (parts != nullptr) parts->clear();
  std::int64_t start = clock_.CalendarSeconds();
  int captured = 0;
  while (captured < count) {
    SlotHistogram histogram{};
    SlotHistogram evenTrains{};
    SeparateTrains firstTrains{};
    ShowPrompt(prompt);
    if (CaptureTrains(histogram, codeCount_, 0, 1, parts ? &evenTrains : nullptr,
                      parts ? &firstTrains : nullptr) == codeCount_) {
      if (parts != nullptr) {
        CaptureParts captured{thresholdPattern(histogram, HalfLimit(limit_)),
                              thresholdPattern(evenTrains, HalfLimit(limit_))};
        for (int i = 0; i < kSeparateTrains; ++i) {
          captured.first[i] = thresholdPattern(firstTrains[i], 1);
        }
        parts->push_back(captured);
        for (int i = 0; i < kSlotCount; ++i) {
          histogram[i] = static_cast<std::uint8_t>(histogram[i] + evenTrains[i]);
        }
      }
      out.push_back(thresholdPattern(histogram, limit_));
      ++captured;
      start = clock_.CalendarSeconds();
      ReportLevel(0);
      if (captured < count) {
        ShowPrompt(kReleasePrompt);
        PauseMs(kReleasePauseMs);
      }
    }
    if (clock_.CalendarSeconds() - start > kPatternTimeLimitSeconds || StopRequested()) {
      return NotTrained;
    }
  }
  ReportLevel(0);
  return 0;
}

bool RCListener::reloadFinds(int button, const SlotPattern& pattern1, const SlotPattern& pattern2,
                             bool pressRepeatForm) {
  loadCodes();
  // A code the registry did not take is not trained, whatever the patterns said: telling
  // the user otherwise would leave a button that never responds, or one that still answers
  // to the old key when its old code could not be deleted either.
  std::lock_guard<std::mutex> lock(codeListLock_);
  const auto found = findCode(button);
  return found != codes_.end() && (found->codeFlag != 0) == pressRepeatForm &&
         patternsEqual(found->pattern1, pattern1) && patternsEqual(found->pattern2, pattern2);
}

bool RCListener::registeredElsewhere(const SlotPattern& pattern) {
  std::lock_guard<std::mutex> lock(codeListLock_);
  // A pattern alike a stored one, a shared hold shape included, could never be told from it.
  return isRegistered(codes_, pattern) || resemblesRegistered(codes_, pattern);
}

bool RCListener::heldWithElsewhere(int button, const SlotPattern& shape) {
  std::lock_guard<std::mutex> lock(codeListLock_);
  return AnotherButtonHoldsWith(codes_, button, shape);
}

int RCListener::trainButton(int button) {
  // Nothing heard before training continues after it.
  followOnPending_ = false;
  CodeRegistry registry;
  registry.DeleteOne(button);
  {
    std::lock_guard<std::mutex> lock(codeListLock_);
    auto found = findCode(button);
    if (found != codes_.end()) removeCode(found);
  }

  // Halves hold too few trains to threshold when the count is small.
  const bool split = codeCount_ / 2 >= HalfLimit(limit_);
  std::vector<SlotPattern> hold;
  std::vector<CaptureParts> holdHalves;
  if (int status = capturePatterns(kHoldPatterns, kHoldPrompt, hold, split ? &holdHalves : nullptr);
      status != 0) {
    return status;
  }
  const bool framePairs = SendsFramePairs(holdHalves);
  const bool frameCycle = codeCount_ >= kSeparateTrains && MostCapturesCycle(holdHalves);
  const SlotPattern firstHold = hold[0];
  const bool holdsAlike = HoldsAlike(hold[0], hold[1]);

  if (framePairs || frameCycle || holdsAlike) {
    // Every held press looks alike: the remote repeats one fixed shape (or pair) while a key
    // is held, so a single sharp press must be learnt as well.
    ShowPrompt(kSharpIntroPrompt);
    PauseMs(kReleasePauseMs);
    std::vector<SlotPattern> sharp;
    std::vector<CaptureParts> halves;
    if (int status = capturePatterns(kSharpPatterns, kSharpPrompt, sharp, split ? &halves : nullptr);
        status != 0) {
      return status;
    }
    const bool sharpAlike = similarAndMerge(sharp[0], sharp[1]) == 0;
    if (frameCycle && ShapesOfFrameCycle(holdHalves, halves, sharp[0], hold[0])) {
      // The cycle's single frames, as the captures showed them.
    } else if (framePairs && ShapesOfFramePair(halves, sharp[0], hold[0])) {
      // The pair's shapes, as the sharp keystrokes showed them. A recording that repeats the
      // first frame before the pair (a frame, a recorder's fragments, then frame and key's
      // own frame) puts the common frame where the key's own belongs: other keys hold with it.
      if (heldWithElsewhere(button, sharp[0]) && !heldWithElsewhere(button, hold[0])) {
        std::swap(sharp[0], hold[0]);
      }
    } else if (holdsAlike) {
      if (!sharpAlike) return NotTrained;
      PressShapeBesideHoldShape(halves, hold[0], sharp[0]);
    } else {
      // Keystrokes that did not show a pair: the holds decide, as for any remote whose held
      // captures differ.
      hold[0] = firstHold;
      return trainAlternating(button, hold, registry);
    }
    if (!NamesAKey(sharp[0]) || !NamesAKey(hold[0])) return NotTrained;
    if (split && !SomeTrainFills(sharp[0], halves)) return NotTrained;
    // The hold shape is not looked up: all keys of a remote may share it.
    if (registeredElsewhere(sharp[0])) return DuplicateSignal;
    registry.WriteOne({std::uint16_t(button), kPressRepeatForm, sharp[0], hold[0]});
    if (!reloadFinds(button, sharp[0], hold[0], true)) return NotTrained;
    return similarAndMerge(hold[0], sharp[0]) != 0 ? TrainedPressRepeat : TrainedUnsure;
  }
  return trainAlternating(button, hold, registry);
}

int RCListener::trainAlternating(int button, std::vector<SlotPattern>& hold,
                                 CodeRegistry& registry) {
  // Successive presses alternate between two shapes.
  if (similarAndMerge(hold[0], hold[2]) != 0) return NotTrained;
  if (similarAndMerge(hold[1], hold[3]) != 0) return NotTrained;
  // Two shapes that differ only by strays are one shape: stored as alternating, that shape
  // (often the repeat code every key of the remote sends) would name this button for every
  // other key held.
  if (ShapeWithStrays(hold[0], hold[1]) || ShapeWithStrays(hold[1], hold[0])) return NotTrained;
  if (!NamesAKey(hold[0]) || !NamesAKey(hold[1])) return NotTrained;
  if (registeredElsewhere(hold[0]) || registeredElsewhere(hold[1])) return DuplicateSignal;
  registry.WriteOne({std::uint16_t(button), kAlternatingForm, hold[0], hold[1]});
  if (!reloadFinds(button, hold[0], hold[1], false)) return NotTrained;
  return similarAndMerge(hold[0], hold[1]) != 0 ? TrainedAlternating : TrainedUnsure;
}

}  // namespace ovalink
