#include "sim/paced_clock.h"

#include <algorithm>

namespace ovalink::sim {

namespace {
constexpr std::int64_t kNsPerMs = 1'000'000;

// ticks × 10⁹ / frequency without overflowing for counters of any age.
std::int64_t TicksToNs(std::int64_t ticks, std::int64_t frequency) {
  return ticks / frequency * PacedClock::kTicksPerSecond +
         ticks % frequency * PacedClock::kTicksPerSecond / frequency;
}
}  // namespace

PacedClock::PacedClock(Clock& real, ReceiverModel& receiver)
    : real_(real),
      receiver_(receiver),
      realFrequency_(std::max<std::int64_t>(real.Frequency(), 1)),
      realStart_(real.Counter()) {}

std::int64_t PacedClock::RealNs() {
  const std::int64_t ns = TicksToNs(real_.Counter() - realStart_, realFrequency_);
  std::lock_guard<std::mutex> lock(mutex_);
  return std::max(ns, nowNs_);
}

std::int64_t PacedClock::NowNs() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return nowNs_;
}

std::int64_t PacedClock::RealCounterAt(std::int64_t ns) const {
  const std::int64_t whole = ns / kTicksPerSecond;
  const std::int64_t part = ns % kTicksPerSecond;
  return realStart_ + whole * realFrequency_ + part * realFrequency_ / kTicksPerSecond;
}

std::int64_t PacedClock::Counter() {
  const std::int64_t real = RealNs();
  const std::int64_t next = receiver_.NextCompletionBy(real);
  std::lock_guard<std::mutex> lock(mutex_);
  if (next == ReceiverModel::kNotReleased) {
    nowNs_ = std::max(nowNs_, real);
  } else if (next > nowNs_) {
    nowNs_ = nowNs_ < next - 1 ? next - 1 : next;
  }
  // Otherwise the character is already due at nowNs_: the coming poll finds it there.
  return nowNs_;
}

void PacedClock::SleepMs(std::uint32_t ms) {
  const std::int64_t wake = NowNs() + std::int64_t(ms) * kNsPerMs;
  for (std::int64_t real = RealNs(); real < wake; real = RealNs()) {
    real_.SleepMs(std::uint32_t((wake - real + kNsPerMs - 1) / kNsPerMs));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  nowNs_ = std::max(nowNs_, wake);
}

std::int64_t PacedClock::AccessNs(std::int64_t) { return NowNs(); }

}  // namespace ovalink::sim
