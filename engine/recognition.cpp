// Recognition: one listening step of the worker. Captures one burst train and turns the
// first matching code into a press value.

#include "engine/engine_types.h"
#include "engine/rc_listener.h"

namespace ovalink {

namespace {
// A repeat shape continues the last press only within this many whole seconds.
constexpr std::int64_t kRepeatWindowSeconds = 2;

bool FullMatch(int matched, int total) { return total > 0 && matched == total; }
}  // namespace

std::uint16_t RCListener::recognise() {
  SlotHistogram histogram{};
  if (CaptureTrains(histogram, 1, 0, 1) != 1) return kNoPress;

  std::lock_guard<std::mutex> lock(codeListLock_);
  std::uint16_t result = kNoPress;
  int matched = 0;
  int total = 0;
  for (const SignalCode& code : codes_) {
    matched = matchRuns(histogram, code.pattern1, compareLength_, total);
    if (FullMatch(matched, total)) {
      result = code.button;
      if (code.codeFlag != 0 && code.button == lastCode_) result ^= kAlternateMarker;
      break;
    }
    matched = matchRuns(histogram, code.pattern2, compareLength_, total);
    if (FullMatch(matched, total)) {
      if (code.codeFlag != 0) {
        // A set-back clock gives a negative difference, which counts as inside the window.
        const std::int64_t elapsed = clock_.CalendarSeconds() - lastRecognitionTime_;
        result = elapsed >= kRepeatWindowSeconds ? kNoPress : lastCode_;
      } else {
        result = static_cast<std::uint16_t>(code.button | kAlternateMarker);
      }
      break;
    }
  }
  ReportLevel(matchPercent(matched, total));
  if (result != kNoPress) lastRecognitionTime_ = clock_.CalendarSeconds();
  lastCode_ = result;
  return result;
}

}  // namespace ovalink
