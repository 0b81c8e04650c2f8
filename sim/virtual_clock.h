#pragma once
// Virtual time for the simulator: nothing waits; sleeping and port accesses move time on.
// The counter ticks in nanoseconds. Thread-safe: the engine's worker advances it while other
// threads read it.

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <chrono>
#include <limits>
#include <mutex>

#include "platform/clock.h"
#include "sim/bus_clock.h"
#include "sim/ir/random.h"

namespace ovalink::sim {

class VirtualClock : public Clock, public BusClock {
 public:
  static constexpr std::int64_t kTicksPerSecond = 1'000'000'000;
  // Calendar time at virtual time 0: an arbitrary whole second, so tests can reason about
  // the whole-second clock exactly.
  static constexpr std::int64_t kDefaultEpochSeconds = 1'800'000'000;

  explicit VirtualClock(std::int64_t epochSeconds = kDefaultEpochSeconds)
      : epochSeconds_(epochSeconds) {}

  std::int64_t Counter() override { return now_.load(std::memory_order_relaxed); }
  std::int64_t Frequency() override { return kTicksPerSecond; }
  void SleepMs(std::uint32_t ms) override {
    const std::int64_t now = NowNs();
    std::int64_t wake = now + std::int64_t(ms) * 1'000'000;
    const std::int64_t tick = sleepTickNs_.load(std::memory_order_relaxed);
    if (tick > 0 && wake % tick != 0) wake += tick - wake % tick;
    const std::int64_t latency = sleepLatencyNs_.load(std::memory_order_relaxed);
    if (latency > 0) wake += std::int64_t(NextRandom() % std::uint64_t(latency + 1));
    sleptNs_.fetch_add(wake - now, std::memory_order_relaxed);
    Advance(wake - now);
  }
  // Virtual time spent in SleepMs so far: the rest of a worker's time it was awake, polling.
  std::int64_t SleptNs() const { return sleptNs_.load(std::memory_order_relaxed); }
  // How sleeps end on a real system: on the next timer tick at or after the time asked for
  // (Windows: 15.625 ms by default, 1 ms while a media player has asked for finer timing),
  // then up to `maxLatencyNs` later, as the scheduler gets round to the thread. Without
  // this (the default) sleeps last exactly as long as asked.
  static constexpr std::int64_t kWindowsDefaultTickNs = 15'625'000;
  static constexpr std::int64_t kMediaTimerTickNs = 1'000'000;
  void SetSleepModel(std::int64_t tickNs, std::int64_t maxLatencyNs, std::uint64_t seed) {
    sleepTickNs_.store(tickNs, std::memory_order_relaxed);
    sleepLatencyNs_.store(maxLatencyNs, std::memory_order_relaxed);
    randomState_.store(seed, std::memory_order_relaxed);
  }
  // Stops time at `ns` without waiting for it to get there (see RunUntil).
  void SetHorizon(std::int64_t ns) {
    std::lock_guard<std::mutex> lock(horizonMutex_);
    horizon_.store(ns, std::memory_order_release);
    parked_ = false;
  }
  std::int64_t CalendarSeconds() override {
    return epochSeconds_.load() + Counter() / kTicksPerSecond;
  }
  // Sets the calendar clock back or forward, as a user or time service would.
  void ShiftCalendar(std::int64_t seconds) { epochSeconds_.fetch_add(seconds); }
  void RaiseToTimeCritical() override { timeCritical_.store(true); ++priorityRaises_; }
  void RestoreNormalPriority() override { timeCritical_.store(false); }

  // Virtual time since start, in nanoseconds.
  std::int64_t NowNs() const { return now_.load(std::memory_order_relaxed); }
  // Time has one writer at a time (the worker, or a test while no worker runs), so a plain
  // store will do; a read-modify-write on every simulated port access costs more than the
  // rest of the access.
  void Advance(std::int64_t ns) {
    const std::int64_t target = now_.load(std::memory_order_relaxed) + ns;
    if (target > horizon_.load(std::memory_order_acquire)) WaitForHorizon(target);
    now_.store(target, std::memory_order_relaxed);
  }
  void SetNowNs(std::int64_t ns) { now_.store(ns, std::memory_order_relaxed); }
  std::int64_t AccessNs(std::int64_t costNs) override {
    Advance(costNs);
    if (preemptionsPerSecond_ > 0 && NowNs() >= nextPreemptionNs_) MaybePreempt();
    return NowNs();
  }
  // The polling thread loses the processor now and then while it records at time-critical
  // priority: on average `perSecond` times a second, for `minUs`..`maxUs` each, as the
  // next port access finds. Off at 0. Set before the worker starts.
  void SetPreemptions(double perSecond, double minUs, double maxUs, std::uint64_t seed) {
    preemptionsPerSecond_ = perSecond > 0 ? perSecond : 0;
    preemptionMinNs_ = std::max(minUs, 0.0) * 1000.0;
    preemptionMaxNs_ = std::max(maxUs * 1000.0, preemptionMinNs_);
    preemptionRng_ = SplitMix64(seed ^ 0x5EC0DE);
    if (preemptionsPerSecond_ > 0) nextPreemptionNs_ = NowNs() + NextPreemptionGapNs();
  }
  std::uint64_t Preemptions() const { return preemptions_; }

  // Pacing for a script on another thread: time is not allowed past the horizon; the thread
  // that would cross it (the engine's worker) waits there until the horizon moves on. So a
  // script can run the simulation to a moment, act, and go on, deterministically.
  static constexpr std::int64_t kNoHorizon = std::numeric_limits<std::int64_t>::max();
  // Moves the horizon to `ns` and waits until time stands there: the advancing thread is
  // parked at it, or `idle()` says nothing is advancing time any more.
  template <typename Idle>
  void RunUntil(std::int64_t ns, Idle idle) {
    std::unique_lock<std::mutex> lock(horizonMutex_);
    horizon_.store(ns, std::memory_order_release);
    parked_ = false;
    horizonMoved_.notify_all();
    while (!parked_ && !idle()) horizonReached_.wait_for(lock, std::chrono::milliseconds(1));
  }
  // Lets time run freely again.
  void ClearHorizon() {
    std::lock_guard<std::mutex> lock(horizonMutex_);
    horizon_.store(kNoHorizon, std::memory_order_release);
    horizonMoved_.notify_all();
  }

  bool IsTimeCritical() const { return timeCritical_.load(); }
  int PriorityRaises() const { return priorityRaises_.load(); }

 private:
  // splitmix64: the same sequence on every standard library.
  std::uint64_t NextRandom() {
    std::uint64_t z = randomState_.fetch_add(0x9E3779B97F4A7C15ull) + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  std::int64_t NextPreemptionGapNs() {
    return std::int64_t(-std::log(1.0 - preemptionRng_.Unit()) / preemptionsPerSecond_ * 1e9);
  }
  // Only recording runs at time-critical priority; the idle polls sleep between them anyway.
  void MaybePreempt() {
    if (IsTimeCritical()) {
      ++preemptions_;
      Advance(std::int64_t(preemptionRng_.Between(preemptionMinNs_, preemptionMaxNs_)));
    }
    nextPreemptionNs_ = NowNs() + NextPreemptionGapNs();
  }

  void WaitForHorizon(std::int64_t target) {
    std::unique_lock<std::mutex> lock(horizonMutex_);
    while (target > horizon_.load(std::memory_order_acquire)) {
      parked_ = true;
      horizonReached_.notify_all();
      horizonMoved_.wait(lock);
    }
  }

  std::atomic<std::int64_t> epochSeconds_;
  std::atomic<std::int64_t> horizon_{kNoHorizon};
  std::atomic<std::int64_t> sleptNs_{0};
  std::atomic<std::int64_t> sleepTickNs_{0};
  std::atomic<std::int64_t> sleepLatencyNs_{0};
  std::atomic<std::uint64_t> randomState_{0};
  std::mutex horizonMutex_;
  std::condition_variable horizonMoved_;
  std::condition_variable horizonReached_;
  bool parked_ = false;
  std::atomic<std::int64_t> now_{0};
  std::atomic<bool> timeCritical_{false};
  // Pre-emptions: touched only by the thread that makes the port accesses.
  double preemptionsPerSecond_ = 0;
  double preemptionMinNs_ = 0;
  double preemptionMaxNs_ = 0;
  SplitMix64 preemptionRng_{0};
  std::int64_t nextPreemptionNs_ = 0;
  std::uint64_t preemptions_ = 0;
  std::atomic<int> priorityRaises_{0};
};

}  // namespace ovalink::sim
