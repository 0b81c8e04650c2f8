// Training: guides the user through holds and sharp presses, decides the code's form,
// refuses duplicates and stores the code.

#include "engine/code_registry.h"
#include "engine/engine_types.h"
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

bool Alike(SlotPattern a, const SlotPattern& b) { return similarAndMerge(a, b) == 0; }

// Some remotes (Sharp's) follow every frame with a second shape, its complement, and repeat
// only that while held. Each sharp keystroke is then two trains of different shapes, which
// together make a pattern no single train matches. When the odd and the even trains of every
// sharp capture differ and one half is the hold shape, the other half is the press shape.
bool PressShapeBesideHoldShape(const std::vector<RCListener::TrainHalves>& halves,
                               const SlotPattern& hold, SlotPattern& out) {
  SlotPattern press{};
  bool first = true;
  for (const RCListener::TrainHalves& h : halves) {
    if (Alike(h.odd, h.even)) return false;
    const bool oddIsHold = Alike(h.odd, hold);
    const bool evenIsHold = Alike(h.even, hold);
    if (oddIsHold == evenIsHold) return false;
    const SlotPattern& other = oddIsHold ? h.even : h.odd;
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
}  // namespace

int RCListener::capturePatterns(int count, const std::string& prompt,
                                std::vector<SlotPattern>& out, std::vector<TrainHalves>* halves) {
  out.clear();
  if (halves != nullptr) halves->clear();
  std::int64_t start = clock_.CalendarSeconds();
  int captured = 0;
  while (captured < count) {
    SlotHistogram histogram{};
    SlotHistogram evenTrains{};
    ShowPrompt(prompt);
    if (CaptureTrains(histogram, codeCount_, 0, 1, halves ? &evenTrains : nullptr) == codeCount_) {
      if (halves != nullptr) {
        halves->push_back({thresholdPattern(histogram, HalfLimit(limit_)),
                           thresholdPattern(evenTrains, HalfLimit(limit_))});
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

bool RCListener::reloadFinds(int button) {
  loadCodes();
  // A code the registry did not take is not trained, whatever the patterns said: telling
  // the user otherwise would leave a button that never responds.
  return hasCode(button);
}

int RCListener::trainButton(int button) {
  CodeRegistry registry;
  registry.DeleteOne(button);
  {
    std::lock_guard<std::mutex> lock(codeListLock_);
    auto found = findCode(button);
    if (found != codes_.end()) removeCode(found);
  }

  std::vector<SlotPattern> hold;
  if (int status = capturePatterns(kHoldPatterns, kHoldPrompt, hold); status != 0) return status;

  if (similarAndMerge(hold[0], hold[1]) == 0) {
    // Every held press looks alike: the remote repeats one fixed shape while a key is held,
    // so a single sharp press must be learnt as well.
    ShowPrompt(kSharpIntroPrompt);
    PauseMs(kReleasePauseMs);
    std::vector<SlotPattern> sharp;
    std::vector<TrainHalves> halves;
    // Halves hold too few trains to threshold when the count is small.
    const bool split = codeCount_ / 2 >= HalfLimit(limit_);
    if (int status = capturePatterns(kSharpPatterns, kSharpPrompt, sharp, split ? &halves : nullptr);
        status != 0) {
      return status;
    }
    if (similarAndMerge(sharp[0], sharp[1]) != 0) return NotTrained;
    PressShapeBesideHoldShape(halves, hold[0], sharp[0]);
    // The hold shape is not looked up: all keys of a remote may share it.
    if (isRegistered(codes_, sharp[0])) return DuplicateSignal;
    registry.WriteOne({std::uint16_t(button), kPressRepeatForm, sharp[0], hold[0]});
    if (!reloadFinds(button)) return NotTrained;
    return similarAndMerge(hold[0], sharp[0]) != 0 ? TrainedPressRepeat : TrainedUnsure;
  }

  // Successive presses alternate between two shapes.
  if (similarAndMerge(hold[0], hold[2]) != 0) return NotTrained;
  if (similarAndMerge(hold[1], hold[3]) != 0) return NotTrained;
  if (isRegistered(codes_, hold[0]) || isRegistered(codes_, hold[1])) return DuplicateSignal;
  registry.WriteOne({std::uint16_t(button), kAlternatingForm, hold[0], hold[1]});
  if (!reloadFinds(button)) return NotTrained;
  return similarAndMerge(hold[0], hold[1]) != 0 ? TrainedAlternating : TrainedUnsure;
}

}  // namespace ovalink
