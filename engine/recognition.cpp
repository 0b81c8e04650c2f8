// Recognition: one listening step of the worker. Captures one burst train and turns the
// code that fits it best into a press value.

#include <utility>

#include "engine/engine_types.h"
#include "engine/frame_shapes.h"
#include "engine/rc_listener.h"

namespace ovalink {

namespace {
// A repeat shape continues the last press only within this many whole seconds.
constexpr std::int64_t kRepeatWindowSeconds = 2;
// A remote that repeats its whole frame while a key is held sends the next frame within
// about 130 ms (Panasonic's period; Samsung 108, Sony 45), and the idle polls may miss a
// short frame or two; a person takes longer to let go of a key and press it again.
constexpr std::int64_t kHeldKeySilenceMs = 200;
// A probe that heard half as many events again as the train it proved was another frame: the
// first of a press (a key's own frame before its repeat codes), not a repeat code as well.
constexpr int kLongerProbeNumerator = 3;
constexpr int kLongerProbeDenominator = 2;
// Where two buttons' shapes really differ, the train must agree with the winner's in at
// least this many more slots than with the other's, and in at least five slots of eight.
constexpr int kDuelLead = 2;
constexpr int kDuelShare = 4;

// A quiet run of a pattern may hold up to five events, and a short mark brings no more (an
// RC6 half-bit, a narrow pulse-width mark): events in this many slots in a row where the
// pattern is quiet are a mark it lacks, so the train is another key's, not a loose fit.
constexpr int kUnexpectedMarkSlots = 4;
// A remote that repeats its whole frame sends one shape, and its own train fills every mark
// of it but for an edge slot or two. A train that leaves this many slots of one mark empty
// has a shorter mark there: another key of a pulse-width code (a short mark inside a long
// one). Other codes' patterns may hold the marks of several trains (a two-frame
// transmission's hold shape, frames that take turns), which no single train fills.
constexpr int kMissingMarkSlots = 6;
// Any pattern holds the marks of the trains it came from, so a train of its key lies inside
// it, though it may leave some of its marks empty. A train with an event where the pattern is
// quiet and this many slots in a row of one of its marks empty lies across it instead: its
// mark is shorter there or lies elsewhere, so it is another key's.
constexpr int kMovedMarkSlots = 4;
// Each pattern of an alternating code holds one of its two frames only, so a train of the
// key leaves little of it empty: a stray run this long is a mark, and a mark one slot shorter
// is then enough to show a biphase neighbour, whose half-bit lies elsewhere.
constexpr int kStrayMarkSlots = 2;

// A key's frame whose marks are long (a vision tester's) fills a mark of its own hold shape
// from end to end: a train that has two marks this long, this far apart, inside one mark of
// a hold shape has a space there, so it is another key's frame. A loose hold shape, summed
// from trains at several phases, may leave wider gaps between a train's short marks.
constexpr int kSplitMarkSlots = 6;

// So does a train that strays from any pattern at no more than this many places: a key of a
// remote with exact timing (pulse position of several levels, biphase without a toggle)
// agrees with its neighbour's pattern at every edge but where their codes differ, a mark a
// few slots off there. A key's own train that strays as far does so at many edges, since its
// pattern merges several trains (Sony's: a dozen places and more).
constexpr int kFewStrayRuns = 8;

// Whether a train whose longest stray run and longest empty run of a mark against `pattern`
// of `code` are these lies across the pattern rather than inside it.
bool LiesAcross(const SlotHistogram& histogram, const SlotPattern& pattern, int unexpected,
                int missing, const SignalCode& code) {
  if (unexpected > 0 && missing >= kMovedMarkSlots) return true;
  if (unexpected < kStrayMarkSlots || missing < kMovedMarkSlots - 1) return false;
  return code.codeFlag == kAlternatingForm ||
         unexpectedRunCount(histogram, pattern) <= kFewStrayRuns;
}

int EventCount(const SlotHistogram& histogram) {
  int events = 0;
  for (std::uint8_t n : histogram) events += n;
  return events;
}

bool FullMatch(int matched, int total) { return total > 0 && matched == total; }
// One run short: the train may still be this pattern's, with a run it did not fill.
bool NearMatch(int matched, int total) { return total > 1 && matched == total - 1; }

// Whether the other buttons' press-and-repeat codes show that this code's hold shape is its
// own: there are some, and none has a hold shape like it (a repeat code that keys share).
// Such a remote sends a shape of its own after each press frame (Sharp's complement). A lone
// mark is no key's own: any frame's leader, or a glitch before one, is such a train.
bool OwnHoldShape(const SignalCode& code, const CodeList& codes) {
  if (markCount(code.pattern2) < 2) return false;
  bool others = false;
  for (const SignalCode& other : codes) {
    if (other.codeFlag == 0 || other.button == code.button) continue;
    others = true;
    if (patternsAlike(code.pattern2, other.pattern2)) return false;
  }
  return others;
}

// A hold shape that holds the press shape is a looser copy of the key's frame (a remote that
// repeats it, its hold trains caught at several phases): a train of that key fits the press
// shape itself, and one that fits only the hold shape is another key's.
bool HoldShapeHoldsPressShape(const SignalCode& code) {
  SlotPattern common{};
  for (std::size_t i = 0; i < common.size(); ++i) {
    common[i] = code.pattern1[i] != 0 && code.pattern2[i] != 0 ? 1 : 0;
  }
  return patternsAlike(code.pattern1, common);
}

// Whether the last button's press-and-repeat code holds with a shape unlike `hold`: a key
// held sends its own hold shape, so after a pause such a train is another key's press.
bool LastKeyHoldsOtherwise(const CodeList& codes, std::uint16_t lastButton,
                           const SlotPattern& hold) {
  for (const SignalCode& code : codes) {
    if (code.button != lastButton || code.codeFlag == 0) continue;
    return !patternsAlike(code.pattern2, hold);
  }
  return false;
}

// A repeat code is a leader and a mark or two; a frame that carries a code holds more.
constexpr int kMostMarksOfARepeatCode = 3;

// Whether the code's hold shape is a frame, not a repeat code, that other buttons hold with
// too: the first frame that a remote's extended keys all send before their own. After a pause
// it begins a new press of whichever key the frame after it names.
bool CommonFirstFrame(const SignalCode& code, const CodeList& codes) {
  return !wholeFrameRepeats(code) && markCount(code.pattern2) > kMostMarksOfARepeatCode &&
         AnotherButtonHoldsWith(codes, code.button, code.pattern2);
}

struct Candidate {
  const SignalCode* code = nullptr;
  bool second = false;  // matched pattern2
  int misfit = 0;
  bool Found() const { return code != nullptr; }
  const SlotPattern& Pattern() const { return second ? code->pattern2 : code->pattern1; }
};

// Whether the hold shape fits the train better than the press shape, and not about as well:
// then the train is the hold shape's frame, whatever the press shape also holds.
bool FitsFarBetter(const Candidate& hold, const Candidate& press) {
  return hold.misfit < press.misfit && !misfitsAboutEqual(hold.misfit, press.misfit);
}

// A pattern a train of its button starts with: pattern1, or either pattern of the
// alternating form. A press-and-repeat hold shape may be every key's.
bool PressShape(const SignalCode& code, int which) { return which == 0 || code.codeFlag == 0; }

// The best fit by misfit, and the best fit of any other button.
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
    return best_.Found() && !(rival_.Found() && misfitsAboutEqual(best_.misfit, rival_.misfit));
  }
  const Candidate& Best() const { return best_; }
  // The best fit of a button other than `button`.
  const Candidate& BestOfAnyButtonBut(std::uint16_t button) const {
    return best_.code->button != button ? best_ : rival_;
  }

 private:
  Candidate best_;
  Candidate rival_;
};

// Codes of one remote share most of their shape (a leader, a customer code), and a train
// differs from its own code's pattern by a few stray slots there as much as it does from
// the next key's: the misfit over the whole train cannot tell them apart. Comparing only the
// slots where two shapes really differ can.
int Duel(const SlotHistogram& histogram, const Candidate& x, const SlotPattern& other,
         int& slots) {
  return duelScore(histogram, x.Pattern(), other, slots);
}

bool Beats(const SlotHistogram& histogram, const Candidate& x, const SlotPattern& other) {
  int slots = 0;
  const int score = Duel(histogram, x, other, slots);
  return score >= kDuelLead && score * kDuelShare >= slots;
}

// The press shape that wins its duel against every other that the train matches fully,
// remembered as the scan goes.
class DuelWinner {
 public:
  void Offer(const SlotHistogram& histogram, const Candidate& c) {
    if (!best_.Found()) {
      best_ = c;
      return;
    }
    int slots = 0;
    const int score = Duel(histogram, best_, c.Pattern(), slots);
    if (score < 0 || (score == 0 && c.misfit < best_.misfit)) best_ = c;
  }
  bool Found() const { return best_.Found(); }
  const Candidate& Best() const { return best_; }

 private:
  Candidate best_;
};

// Whether another button's hold shape fits the train far better than the press shape that won
// (the first frame that a remote's extended keys share, which a loose press shape holds too).
bool AnotherHoldShapeFitsFarBetter(const Candidate& press, const BestFit& holdShapes) {
  if (!holdShapes.Found()) return false;
  const Candidate& hold = holdShapes.BestOfAnyButtonBut(press.code->button);
  return hold.Found() && FitsFarBetter(hold, press);
}

// Whether the chosen candidate clearly beats every other button's press shape that the
// train matches fully or but for one run.
bool StandsOut(const SlotHistogram& histogram, const Candidate& chosen, const CodeList& codes,
               int compareLength) {
  for (const SignalCode& code : codes) {
    if (code.button == chosen.code->button) continue;
    for (int which = 0; which < 2; ++which) {
      if (!PressShape(code, which)) continue;
      const SlotPattern& pattern = which == 0 ? code.pattern1 : code.pattern2;
      int total = 0;
      const int matched = matchRuns(histogram, pattern, compareLength, total);
      if (!FullMatch(matched, total) && !NearMatch(matched, total)) continue;
      if (!Beats(histogram, chosen, pattern)) return false;
    }
  }
  return true;
}
}  // namespace

std::uint16_t RCListener::recognise() {
  SlotHistogram histogram{};
  // When no train follows in time, the press went no further: listen as usual.
  const bool followOn =
      std::exchange(followOnPending_, false) &&
      CaptureFollowingTrain(histogram, followOnWithinMs_) == 1;
  if (!followOn && CaptureTrains(histogram, 1, 0, 1) != 1) return kNoPress;
  const auto silenceUnder = [this](std::int64_t ms) {
    return silenceBeforeTicks_ != kNeverTicks && silenceBeforeTicks_ < ms * clock_.Frequency() / 1000;
  };
  const bool sameHold = silenceUnder(kHeldKeySilenceMs);
  // The probe heard the end of an earlier press when this train came after a silence no held
  // key leaves: the train is the first light of a new press, not a frame after a spent one.
  const bool probeHeardAnEarlierPress =
      !followOn && afterProbeTicks_ >= kHeldKeySilenceMs * clock_.Frequency() / 1000;
  const bool sameTransmission = silenceUnder(kSameTransmissionSilenceMs);

  std::lock_guard<std::mutex> lock(codeListLock_);
  // A press-and-repeat code's hold shape may be shared by every key of the remote: matched
  // by the last button's code it continues that press; matched by others it names a
  // button only when no pattern that names one fits and no other button's fits as well.
  const bool haveLast = lastCode_ != kNoPress;
  const auto lastButton = static_cast<std::uint16_t>(lastCode_ & ~kAlternateMarker);
  DuelWinner presses;
  BestFit holdShapes;
  Candidate repeat;
  int matched = 0;
  int total = 0;
  for (const SignalCode& code : codes_) {
    for (int which = 0; which < 2; ++which) {
      const SlotPattern& pattern = which == 0 ? code.pattern1 : code.pattern2;
      matched = matchRuns(histogram, pattern, compareLength_, total);
      if (!FullMatch(matched, total)) continue;
      const int unexpected = longestUnexpectedRun(histogram, pattern);
      const int missing = longestMissingRun(histogram, pattern);
      if (unexpected >= kUnexpectedMarkSlots ||
          LiesAcross(histogram, pattern, unexpected, missing, code) ||
          (missing >= kMissingMarkSlots && wholeFrameRepeats(code))) {
        continue;
      }
      const Candidate c{&code, which == 1, patternMisfit(histogram, pattern)};
      if (PressShape(code, which)) {
        presses.Offer(histogram, c);
      } else if (haveLast && code.button == lastButton) {
        if (!repeat.Found() || c.misfit < repeat.misfit) repeat = c;
      } else {
        holdShapes.Offer(c);
      }
    }
  }

  if (presses.Found() && AnotherHoldShapeFitsFarBetter(presses.Best(), holdShapes)) {
    presses = DuelWinner{};  // the train names no press
  }

  Candidate chosen;
  bool repeats = false;
  const bool pressStandsOut = presses.Found() && StandsOut(histogram, presses.Best(), codes_, compareLength_);
  // After a silence no held key leaves, a train of a remote that repeats its whole frame is
  // a new press even when it fits the hold shape about as well. A hold shape of its own
  // still continues the press before it.
  const bool pauseMakesAPress = !sameHold && repeat.Found() && wholeFrameRepeats(*repeat.code);
  // Such a press that fits press shapes but stands out for none is a key nobody trained,
  // not the last key again.
  const bool pressOfNoKey = pauseMakesAPress && presses.Found() && !pressStandsOut;
  if (pressStandsOut &&
      (!repeat.Found() || pauseMakesAPress || !FitsFarBetter(repeat, presses.Best()))) {
    chosen = presses.Best();
  } else if (!sameHold && !presses.Found() && !repeat.Found() && holdShapes.Clear() &&
             OwnHoldShape(*holdShapes.Best().code, codes_) &&
             !HoldShapeHoldsPressShape(*holdShapes.Best().code) &&
             longestSpaceInAMark(histogram, holdShapes.Best().Pattern(), kSplitMarkSlots) <
                 kSplitMarkSlots &&
             StandsOut(histogram, holdShapes.Best(), codes_, compareLength_)) {
    // After a pause, the hold shape of one button that is that button's own: its remote
    // sends it after the first frame of every press, so it is a new press of that button.
    // One code alone, or a shape other buttons share, shows nothing of the kind.
    chosen = holdShapes.Best();
  } else if ((repeat.Found() && !pressOfNoKey) || (holdShapes.Found() && !presses.Found())) {
    // A hold shape continues the last press, whichever code's it is, except after a pause
    // when the last key holds with a shape of its own that this is not: then it is the
    // common first frame of another key's transmission, and names nothing.
    repeats = repeat.Found() || sameHold ||
              !LastKeyHoldsOtherwise(codes_, lastButton, holdShapes.Best().Pattern());
  }

  // After a pause, a hold shape that follows a longer frame is the rest of a new press whose
  // frame the probe spent, not the last key still held: which key that was is lost. One that
  // a new press sends first (a broken frame, a lone leader) is no key held either.
  if (repeats && !sameHold &&
      (probeHeardAnEarlierPress || (repeat.Found() && CommonFirstFrame(*repeat.code, codes_)) ||
       probeEvents_ * kLongerProbeDenominator > EventCount(histogram) * kLongerProbeNumerator)) {
    repeats = false;
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
    } else if (sameHold && inPressHold_ && lastPress_ != kNoPress &&
               (lastPress_ & ~kAlternateMarker) == code.button &&
               (wholeFrameRepeats(code) || OwnHoldShape(code, codes_) || sameTransmission)) {
      // Another frame of the key being held, not a new press: its remote repeats the whole
      // frame, or follows each frame with a shape of the key's own. A remote that says a key
      // is held with a repeat code makes a quick second press of it a press. A hold that began
      // after a pause with a train that named nothing (a key nobody trained) is not its hold.
      result = lastPress_;
    } else {
      // Against the last value posted, not the last step's: an unrecognised train in
      // between must not make a new press of the same key look like its auto-repeat.
      result = code.button;
      if (code.button == lastPress_) result ^= kAlternateMarker;
    }
  }
  // After a pause, a train that fits no shape and is shorter than the frame the probe spent is
  // a fragment (a glitch, a broken frame), no press: the press begins after it, and the next
  // step's silence is still the pause. A train as long may be the frame of a key nobody
  // trained, whose hold must not look like one that follows a pause; a lone mark is no key's
  // frame, however long (a leader sent alone before the frame).
  const bool loneFlash = markCount(thresholdPattern(histogram, 1)) < kFewestMarksOfAFrame;
  pauseCarried_ = !sameHold && !presses.Found() && !holdShapes.Found() && !repeat.Found() &&
                  (EventCount(histogram) < probeEvents_ || loneFlash);
  // A train that only hold shapes fit and that names nothing may be the half of a frame pair
  // that several keys share. Probing again would spend the key's own half and record the
  // shared one of the next pair, in step with it for the whole hold: the next train is
  // recorded at once instead, as the rest of this press. So is the train after a fragment,
  // which a press's frame follows (a lone flash before it): probing again would spend it.
  // A lone flash that followed on a train that fit nothing (a recorder's truncated frame) may
  // still have the whole frame behind it; behind two flashes in a row lies a frame pair, whose
  // first the probe is to spend.
  const bool flashBehindTrain = followOn && loneFlash && !followOnBehindFlash_;
  followOnPending_ = (!followOn || flashBehindTrain) && !presses.Found() &&
                     (holdShapes.Found() || repeat.Found() || pauseCarried_) && result == kNoPress;
  followOnBehindFlash_ = loneFlash;
  // A frame pair's halves lie closer than anyone presses twice. The frame behind a lone
  // flash may lie further (a recorder's truncated frame, a flash, then the frame: 128 ms),
  // and within a held key's silence of it still belongs to the press the flash began. A
  // fragment of more marks ends a frame, and the next one follows as closely as ever.
  followOnWithinMs_ = pauseCarried_ && loneFlash ? kHeldKeySilenceMs : kSameTransmissionSilenceMs;
  ReportLevel(presses.Found() || holdShapes.Found() || repeat.Found()
                  ? 100
                  : matchPercent(matched, total));
  if (result != kNoPress) {
    lastRecognitionTime_ = clock_.CalendarSeconds();
    lastPress_ = result;
    inPressHold_ = true;
  } else if (!sameHold) {
    inPressHold_ = false;
  }
  lastCode_ = result;
  return result;
}

}  // namespace ovalink
