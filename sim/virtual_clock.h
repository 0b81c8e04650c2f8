#pragma once
// Virtual time for the simulator: nothing waits; sleeping and port accesses move time on.
// The counter ticks in nanoseconds. Thread-safe: the engine's worker advances it while other
// threads read it.

#include <atomic>
#include <cstdint>

#include "platform/clock.h"

namespace ovalink::sim {

class VirtualClock : public Clock {
 public:
  static constexpr std::int64_t kTicksPerSecond = 1'000'000'000;
  // Calendar time at virtual time 0: an arbitrary whole second, so tests can reason about
  // the whole-second clock exactly.
  static constexpr std::int64_t kDefaultEpochSeconds = 1'800'000'000;

  explicit VirtualClock(std::int64_t epochSeconds = kDefaultEpochSeconds)
      : epochSeconds_(epochSeconds) {}

  std::int64_t Counter() override { return now_.load(std::memory_order_relaxed); }
  std::int64_t Frequency() override { return kTicksPerSecond; }
  void SleepMs(std::uint32_t ms) override { Advance(std::int64_t(ms) * 1'000'000); }
  std::int64_t CalendarSeconds() override {
    return epochSeconds_.load() + Counter() / kTicksPerSecond;
  }
  // Sets the calendar clock back or forward, as a user or time service would.
  void ShiftCalendar(std::int64_t seconds) { epochSeconds_.fetch_add(seconds); }
  void RaiseToTimeCritical() override { timeCritical_.store(true); ++priorityRaises_; }
  void RestoreNormalPriority() override { timeCritical_.store(false); }

  // Virtual time since start, in nanoseconds.
  std::int64_t NowNs() const { return now_.load(std::memory_order_relaxed); }
  void Advance(std::int64_t ns) { now_.fetch_add(ns, std::memory_order_relaxed); }
  void SetNowNs(std::int64_t ns) { now_.store(ns, std::memory_order_relaxed); }

  bool IsTimeCritical() const { return timeCritical_.load(); }
  int PriorityRaises() const { return priorityRaises_.load(); }

 private:
  std::atomic<std::int64_t> epochSeconds_;
  std::atomic<std::int64_t> now_{0};
  std::atomic<bool> timeCritical_{false};
  std::atomic<int> priorityRaises_{0};
};

}  // namespace ovalink::sim
