// Capture of burst trains: busy-polls the UART and turns receiver activity into times and
// slot histograms. Part of RCListener; runs on the engine's worker thread.

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/rc_listener.h"

namespace ovalink {

namespace {
constexpr double kWaitLimitSeconds = 0.5;
// A refused probe has usually met the end of a frame, and the remote's next frame is due
// within one frame period (RC5 114 ms, RC6 107, NEC 108, Panasonic 130). A remote whose
// period is close to a multiple of the idle poll falls into step with it and is met at the
// end of every frame; so the frames after a refused probe are watched for with short sleeps.
constexpr std::uint32_t kWatchPollMs = 1;
constexpr double kWatchSeconds = 0.15;
constexpr double kProbeWindowSeconds = 0.01;
constexpr double kTrainWindowSeconds = 1.0;
constexpr double kGapSeconds = 0.015;
constexpr double kSlotWidthMs = 0.1;
// Frames less than kGapSeconds apart (some Sony, JVC and lighting remotes) would run on as one
// train to the size limit and end wherever that falls, so no two trains of a held key would
// line up. No frame lasts the histogram's span: past it a shorter silence (kFrameSilenceMs),
// far longer than any space inside a frame, ends the train at the end of a frame, so the next
// train starts at the start of one; and such a run of frames counts only its first in a histogram,
// as if the frames had come apart. A train that ends within the span is counted whole.
constexpr double kHistogramSpanMs = kSlotCount * kSlotWidthMs;

// Keeps the recording at time-critical priority and restores normal priority on every exit.
class TimeCriticalSection {
 public:
  explicit TimeCriticalSection(Clock& clock) : clock_(clock) { clock_.RaiseToTimeCritical(); }
  ~TimeCriticalSection() { clock_.RestoreNormalPriority(); }
  TimeCriticalSection(const TimeCriticalSection&) = delete;
  TimeCriticalSection& operator=(const TimeCriticalSection&) = delete;

 private:
  Clock& clock_;
};
}  // namespace

std::size_t RCListener::CountedTimes(const std::vector<double>& times) {
  if (times.empty() || times.back() < kHistogramSpanMs) return times.size();
  for (std::size_t i = 1; i < times.size(); ++i) {
    if (times[i] - times[i - 1] >= kFrameSilenceMs) return i;
  }
  return times.size();
}

int RCListener::RecordTrain(std::vector<double>& times, double firstWindowSeconds,
                            SampleOperation sample, double gapSeconds) {
  times.clear();
  if (Base() == 0) return 0;
  const std::int64_t frequency = clock_.Frequency();
  std::int64_t last = clock_.Counter();
  std::int64_t first = 0;
  bool started = false;
  std::int64_t window = static_cast<std::int64_t>(double(frequency) * firstWindowSeconds);
  if (window <= 0) return 0;
  const std::int64_t gapTicks = static_cast<std::int64_t>(double(frequency) * gapSeconds);
  const std::int64_t spanTicks =
      static_cast<std::int64_t>(double(frequency) * kHistogramSpanMs / 1000.0);
  const std::int64_t frameGapTicks = std::min(
      gapTicks, static_cast<std::int64_t>(double(frequency) * kFrameSilenceMs / 1000.0));
  const double msPerTick = 1000.0 / double(frequency);
  std::size_t unstored = 0;
  std::int64_t now;
  do {
    now = clock_.Counter();
    if ((this->*sample)() != 0) {
      if (!started) {
        first = now;
        started = true;
        trainStartTicks_ = now;
      }
      const bool pastSpan = now - first >= spanTicks;
      window = pastSpan ? frameGapTicks : gapTicks;
      last = now;
      if (times.size() <= kTrainSizeLimit) {
        times.push_back(double(now - first) * msPerTick);
        if (times.size() > kTrainSizeLimit && !pastSpan) break;
      } else if (++unstored > kTrainSizeLimit) {
        // A full train past the span runs on to the end of its frame, storing nothing more,
        // so that the next starts with a frame; a stream without end stops all the same.
        break;
      }
    }
  } while (now - last < window);
  if (started) {
    lastActivityTicks_ = last;
    sawActivity_ = true;
  }
  return static_cast<int>(times.size());
}

int RCListener::CaptureTrains(SlotHistogram& histogram, int trainsWanted, int step, int steps,
                              SlotHistogram* evenTrains, SeparateTrains* firstTrains) {
  const std::int64_t frequency = clock_.Frequency();
  const std::int64_t start = clock_.Counter();
  const std::int64_t limit = static_cast<std::int64_t>(double(frequency) * kWaitLimitSeconds);

  const std::int64_t watchTicks = static_cast<std::int64_t>(double(frequency) * kWatchSeconds);

  // Waiting for a remote: a probe train proves one is sending; its times are thrown away.
  for (;;) {
    const std::int64_t polledAt = clock_.Counter();
    if (Base() != 0 && PollReceiver() != 0) {
      std::int64_t silence = sawActivity_ ? polledAt - lastActivityTicks_ : kNeverTicks;
      // A refused probe, or a fragment that recognition set aside, is the start of what the
      // next probe finds: the silence before the press is the one before it, if longer.
      if (std::exchange(pauseCarried_, false) || probeRefused_) {
        silence = std::max(silence, silenceBeforeTicks_);
      }
      silenceBeforeTicks_ = silence;
      // A status latched by a frame that ended before this poll is still the remote: a
      // silence measured past it would span two frames and split one hold into presses.
      lastActivityTicks_ = polledAt;
      sawActivity_ = true;
      const int probed =
          RecordTrain(trainTimes_, kProbeWindowSeconds, &Port::PollReceiver, kGapSeconds);
      trainTimes_.clear();
      probeRefused_ = probed <= minReads_;
      if (probed > minReads_) {
        probeEvents_ = probed;
        break;
      }
      watchUntilTicks_ = clock_.Counter() + watchTicks;
    }
    clock_.SleepMs(clock_.Counter() < watchUntilTicks_ ? kWatchPollMs : kIdlePollMs);
    if (clock_.Counter() - start > limit || StopRequested()) return 0;
  }

  if (trainsWanted <= 0) return 0;
  int accepted = 0;
  int progress = 0;
  for (;;) {
    int recorded;
    const std::int64_t heardBefore = lastActivityTicks_;
    {
      TimeCriticalSection critical(clock_);
      recorded = RecordTrain(trainTimes_, kTrainWindowSeconds, &Port::PollReceiver, kGapSeconds);
    }
    // The probe may have caught the last frame of one press and the recording the first of
    // the next: a long silence in between also makes this a new press.
    if (accepted == 0 && recorded > 0) {
      afterProbeTicks_ = trainStartTicks_ - heardBefore;
      if (silenceBeforeTicks_ != kNeverTicks) {
        silenceBeforeTicks_ = std::max(silenceBeforeTicks_, afterProbeTicks_);
      }
    }
    if (recorded < minReads_) {
      ReportLevel(0);
      clock_.SleepMs(kRestMs);
      trainTimes_.clear();
      return accepted;
    }
    accepted += 1;
    progress += 100;
    if (trainsWanted == codeCount_ && steps != 0) {
      ReportLevel(progress / (trainsWanted * steps) + (step * 100) / steps);
    }
    SlotHistogram& target = evenTrains != nullptr && accepted % 2 == 0 ? *evenTrains : histogram;
    trainTimes_.resize(CountedTimes(trainTimes_));
    for (double t : trainTimes_) AddToHistogram(target, t);
    if (firstTrains != nullptr && accepted <= kSeparateTrains) {
      for (double t : trainTimes_) AddToHistogram((*firstTrains)[accepted - 1], t);
    }
    trainTimes_.clear();
    if (accepted >= trainsWanted) return accepted;
  }
}

int RCListener::CaptureFollowingTrain(SlotHistogram& histogram, std::int64_t withinMs) {
  const std::int64_t frequency = clock_.Frequency();
  const std::int64_t waited = clock_.Counter() - lastActivityTicks_;
  const double window = double(withinMs) / 1000.0 - double(waited) / double(frequency);
  int recorded = 0;
  if (window > 0) {
    TimeCriticalSection critical(clock_);
    recorded = RecordTrain(trainTimes_, window, &Port::PollReceiver, kGapSeconds);
  }
  if (recorded < minReads_) {
    trainTimes_.clear();
    return 0;
  }
  trainTimes_.resize(CountedTimes(trainTimes_));
  for (double t : trainTimes_) AddToHistogram(histogram, t);
  trainTimes_.clear();
  return 1;
}

int RCListener::AddToHistogram(SlotHistogram& histogram, double timeMs) {
  const double slot = std::trunc(timeMs / kSlotWidthMs);
  // Out-of-range doubles (and NaN) would make the int conversion undefined.
  if (!(slot >= 0.0 && slot < double(kSlotCount))) return 1;
  const auto index = static_cast<std::uint32_t>(static_cast<std::int32_t>(slot));
  histogram[index] = static_cast<std::uint8_t>(histogram[index] + 1);
  return 0;
}

}  // namespace ovalink
