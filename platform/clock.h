#pragma once
// Clock seam: performance counter, sleeping, calendar time and thread priority.

#include <cstdint>

namespace ovalink {

// Used by the worker and the main thread at once, without a lock: back ends keep no state
// that two threads could tear (the virtual clock guards its own).
class Clock {
 public:
  virtual ~Clock() = default;

  // Monotonic tick count and its ticks per second (QueryPerformanceCounter/Frequency).
  virtual std::int64_t Counter() = 0;
  virtual std::int64_t Frequency() = 0;

  // Suspends the calling thread (Sleep). The simulator advances virtual time instead.
  virtual void SleepMs(std::uint32_t ms) = 0;

  // Whole seconds since 1970-01-01 UTC (the C library's time()).
  virtual std::int64_t CalendarSeconds() = 0;

  // Calling thread to time-critical priority and back to normal. Best effort: where the
  // platform refuses, the thread simply runs on at its current priority.
  virtual void RaiseToTimeCritical() = 0;
  virtual void RestoreNormalPriority() = 0;
};

}  // namespace ovalink
