// Recognition: one listening step of the worker. Captures one burst train and turns the
// code that fits it best into a press value.

#include "engine/engine_types.h"
#include "engine/rc_listener.h"

namespace ovalink {

namespace {
// A repeat shape continues the last press only within this many whole seconds.
constexpr std::int64_t kRepeatWindowSeconds = 2;
// A remote that repeats its whole frame while a key is held sends the next frame within
// about 130 ms (Panasonic's period; Samsung 108, Sony 45), and the 30 ms idle polls may
// miss a short frame or two; a person takes longer to let go of a key and press it again.
constexpr std::int64_t kHeldKeySilenceMs = 200;
// Two codes that fit a train within this many misfit points of each other, or within an
// eighth of the better one's misfit, fit it about equally.
constexpr int kAmbiguityPoints = 4;
constexpr int kAmbiguityShare = 8;

bool FullMatch(int matched, int total) { return total > 0 && matched == total; }

bool AboutEqual(int better, int worse) {
  return worse - better < kAmbiguityPoints || worse - better <= better / kAmbiguityShare;
}

struct Candidate {
  const SignalCode* code = nullptr;
  bool second = false;  // matched pattern2
  int misfit = 0;
  bool Found() const { return code != nullptr; }
};

// The best fit among matches that name buttons, and the best fit of any other button.
class BestFit {
 public:
  void Offer(const Candidate& c) {
    if (!best_.Found() || c.misfit < best_.misfit) {
      if (best_.Found() && best_.code->button != c.code->button) rival_ = best_;
      best_ = c;
    } else if (best_.code->button != c.code->button &&
               (!rival_.Found() || c.misfit < rival_.misfit)) {
      rival_ = c;
    }
  }
  bool Found() const { return best_.Found(); }
  // A button stands out only when no other button fits about as well.
  bool Clear() const {
    return best_.Found() && !(rival_.Found() && AboutEqual(best_.misfit, rival_.misfit));
  }
  const Candidate& Best() const { return best_; }

 private:
  Candidate best_;
  Candidate rival_;
};
}  // namespace

std::uint16_t RCListener::recognise() {
  SlotHistogram histogram{};
  if (CaptureTrains(histogram, 1, 0, 1) != 1) return kNoPress;
  const bool sameHold = silenceBeforeTicks_ != kNeverTicks &&
                        silenceBeforeTicks_ < kHeldKeySilenceMs * clock_.Frequency() / 1000;

  std::lock_guard<std::mutex> lock(codeListLock_);
  // A press-and-repeat code's hold shape may be shared by every key of the remote: matched
  // by the last button's code it continues that press; matched by others it names a
  // button only when no pattern that names one fits and no other button's fits as well.
  const bool haveLast = lastCode_ != kNoPress;
  const auto lastButton = static_cast<std::uint16_t>(lastCode_ & ~kAlternateMarker);
  BestFit presses, holdShapes;
  Candidate repeat;
  int matched = 0;
  int total = 0;
  for (const SignalCode& code : codes_) {
    for (int which = 0; which < 2; ++which) {
      const SlotPattern& pattern = which == 0 ? code.pattern1 : code.pattern2;
      matched = matchRuns(histogram, pattern, compareLength_, total);
      if (!FullMatch(matched, total)) continue;
      const Candidate c{&code, which == 1, patternMisfit(histogram, pattern)};
      if (!c.second || code.codeFlag == 0) {
        presses.Offer(c);
      } else if (haveLast && code.button == lastButton) {
        if (!repeat.Found() || c.misfit < repeat.misfit) repeat = c;
      } else {
        holdShapes.Offer(c);
      }
    }
  }

  Candidate chosen;
  bool repeats = false;
  if (presses.Clear() && (!repeat.Found() || presses.Best().misfit <= repeat.misfit ||
                          AboutEqual(repeat.misfit, presses.Best().misfit))) {
    chosen = presses.Best();
  } else if (repeat.Found()) {
    repeats = true;
  } else if (!presses.Found() && holdShapes.Clear()) {
    chosen = holdShapes.Best();
  }

  std::uint16_t result = kNoPress;
  if (repeats) {
    // A set-back clock gives a negative difference, which counts as inside the window.
    const std::int64_t elapsed = clock_.CalendarSeconds() - lastRecognitionTime_;
    result = elapsed >= kRepeatWindowSeconds ? kNoPress : lastCode_;
  } else if (chosen.Found()) {
    const SignalCode& code = *chosen.code;
    if (code.codeFlag == 0) {
      result = chosen.second ? static_cast<std::uint16_t>(code.button | kAlternateMarker)
                             : code.button;
    } else if (sameHold && lastPress_ != kNoPress &&
               (lastPress_ & ~kAlternateMarker) == code.button) {
      // Another frame of the key being held, not a new press.
      result = lastPress_;
    } else {
      result = code.button;
      if (code.button == lastCode_) result ^= kAlternateMarker;
    }
  }
  ReportLevel(presses.Found() || holdShapes.Found() || repeat.Found()
                  ? 100
                  : matchPercent(matched, total));
  if (result != kNoPress) {
    lastRecognitionTime_ = clock_.CalendarSeconds();
    lastPress_ = result;
  }
  lastCode_ = result;
  return result;
}

}  // namespace ovalink
