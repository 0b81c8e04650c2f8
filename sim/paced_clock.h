#pragma once
// The simulated PC's clock when it runs on real time, beside real applications.
//
// It follows the real clock, with one exception that makes what the capture sees independent
// of the machine's load: the polling thread's counter never passes a receiver event that no
// poll has reached yet. When the thread gets to poll late (pre-empted on a busy machine),
// its counter first reads the moment just before the next event, where a poll finds nothing
// and a gap in the signal shows as the gap it was, then the event's own moment, where the
// poll finds that one character. The capture reads the counter before each poll, so every
// event is stamped with the time it completed, and trains split where the light paused.
// Sleeping is not polling: characters that complete during a sleep wait in the UART, as on
// hardware.

#include <cstdint>
#include <mutex>

#include "platform/clock.h"
#include "sim/bus_clock.h"
#include "sim/ir/receiver_model.h"

namespace ovalink::sim {

class PacedClock : public Clock, public BusClock {
 public:
  static constexpr std::int64_t kTicksPerSecond = 1'000'000'000;

  // Both must outlive the clock. The simulation begins now by `real`.
  PacedClock(Clock& real, ReceiverModel& receiver);

  // For the polling thread: the moment of the next poll (see above), in nanoseconds.
  std::int64_t Counter() override;
  std::int64_t Frequency() override { return kTicksPerSecond; }
  // Advances the simulation by exactly `ms` and waits until the real clock has got there.
  void SleepMs(std::uint32_t ms) override;
  std::int64_t CalendarSeconds() override { return real_.CalendarSeconds(); }
  void RaiseToTimeCritical() override { real_.RaiseToTimeCritical(); }
  void RestoreNormalPriority() override { real_.RestoreNormalPriority(); }

  // Port accesses happen at the simulation's current moment and cost no time of their own.
  std::int64_t AccessNs(std::int64_t costNs) override;

  // Nanoseconds since the simulation began by the real clock; never behind NowNs().
  std::int64_t RealNs();
  std::int64_t NowNs() const;
  // The real counter's reading at simulated moment `ns`, for comparisons with other
  // processes that read the same counter.
  std::int64_t RealCounterAt(std::int64_t ns) const;

 private:
  Clock& real_;
  ReceiverModel& receiver_;
  const std::int64_t realFrequency_;
  const std::int64_t realStart_;
  mutable std::mutex mutex_;
  std::int64_t nowNs_ = 0;
};

}  // namespace ovalink::sim
