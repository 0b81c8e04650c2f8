// Capture of burst trains: busy-polls the UART and turns receiver activity into times and
// slot histograms. Part of RCListener; runs on the engine's worker thread.

#include <cmath>

#include "engine/rc_listener.h"

namespace ovalink {

namespace {
constexpr double kWaitLimitSeconds = 0.5;
constexpr std::uint32_t kIdlePollMs = 30;
constexpr double kProbeWindowSeconds = 0.01;
constexpr double kTrainWindowSeconds = 1.0;
constexpr double kGapSeconds = 0.015;
constexpr std::size_t kTrainSizeLimit = 1000;
constexpr double kSlotWidthMs = 0.1;

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
  const double msPerTick = 1000.0 / double(frequency);
  std::int64_t now;
  do {
    now = clock_.Counter();
    if ((this->*sample)() != 0) {
      if (!started) {
        first = now;
        started = true;
      }
      times.push_back(double(now - first) * msPerTick);
      window = gapTicks;
      last = now;
      if (times.size() > kTrainSizeLimit) break;
    }
  } while (now - last < window);
  if (started) {
    lastActivityTicks_ = last;
    sawActivity_ = true;
  }
  return static_cast<int>(times.size());
}

int RCListener::CaptureTrains(SlotHistogram& histogram, int trainsWanted, int step, int steps) {
  const std::int64_t frequency = clock_.Frequency();
  const std::int64_t start = clock_.Counter();
  const std::int64_t limit = static_cast<std::int64_t>(double(frequency) * kWaitLimitSeconds);

  // Waiting for a remote: a probe train proves one is sending; its times are thrown away.
  for (;;) {
    const std::int64_t polledAt = clock_.Counter();
    if (Base() != 0 && PollReceiver() != 0) {
      silenceBeforeTicks_ = sawActivity_ ? polledAt - lastActivityTicks_ : kNeverTicks;
      const int probed =
          RecordTrain(trainTimes_, kProbeWindowSeconds, &Port::PollReceiver, kGapSeconds);
      trainTimes_.clear();
      if (probed > minReads_) break;
    }
    clock_.SleepMs(kIdlePollMs);
    if (clock_.Counter() - start > limit || StopRequested()) return 0;
  }

  if (trainsWanted <= 0) return 0;
  int accepted = 0;
  int progress = 0;
  for (;;) {
    int recorded;
    {
      TimeCriticalSection critical(clock_);
      recorded = RecordTrain(trainTimes_, kTrainWindowSeconds, &Port::PollReceiver, kGapSeconds);
    }
    if (recorded < minReads_) {
      ReportLevel(0);
      clock_.SleepMs(kIdlePollMs);
      trainTimes_.clear();
      return accepted;
    }
    accepted += 1;
    progress += 100;
    if (trainsWanted == codeCount_ && steps != 0) {
      ReportLevel(progress / (trainsWanted * steps) + (step * 100) / steps);
    }
    for (double t : trainTimes_) AddToHistogram(histogram, t);
    trainTimes_.clear();
    if (accepted >= trainsWanted) return accepted;
  }
}

int RCListener::AddToHistogram(SlotHistogram& histogram, double timeMs) {
  const double slot = std::trunc(timeMs / kSlotWidthMs);
  // Out-of-range doubles (and NaN) would make the int conversion undefined.
  if (!(slot >= 0.0 && slot < double(kSlotCount))) return 1;
  const auto index = static_cast<std::uint32_t>(static_cast<std::int32_t>(slot));
  if (index > 999) return 1;
  histogram[index] = static_cast<std::uint8_t>(histogram[index] + 1);
  return 0;
}

}  // namespace ovalink
