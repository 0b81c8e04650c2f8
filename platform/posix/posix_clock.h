#pragma once
// Real time on Linux: steady_clock, nanosleep, time() and the scheduler.

#include "platform/clock.h"

namespace ovalink {

class PosixClock : public Clock {
 public:
  std::int64_t Counter() override;
  std::int64_t Frequency() override;
  void SleepMs(std::uint32_t ms) override;
  std::int64_t CalendarSeconds() override;
  // SCHED_FIFO needs privileges; without them the thread keeps its normal priority.
  void RaiseToTimeCritical() override;
  void RestoreNormalPriority() override;
};

}  // namespace ovalink
