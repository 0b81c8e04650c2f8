#pragma once
// Widens a 32-bit millisecond count (GetTickCount), which wraps after 49.7 days, into a 64-bit
// one that does not, for systems without GetTickCount64.

#include <atomic>
#include <cstdint>

namespace ovalink {

// A reading this far or further below the last one is taken as a wrap of the 32-bit count.
constexpr std::uint32_t kTickWrapDistance = 0x80000000u;

// The widened value of a fresh reading, given the last widened value handed out. A reading
// below the last one by less than kTickWrapDistance was taken before the last value was stored
// (another thread was quicker): the last value stands, so the result never goes backwards.
// A wrap is only seen if some reading falls in every 49.7-day period.
constexpr std::uint64_t WidenTick(std::uint64_t last, std::uint32_t now) {
  const std::uint64_t high = last >> 32;
  const auto low = static_cast<std::uint32_t>(last);
  if (now >= low) return (high << 32) | now;
  if (low - now >= kTickWrapDistance) return ((high + 1) << 32) | now;
  return last;
}

// Shared by every thread; constant-initialised, so it can be used before any constructor ran.
class TickWidener {
 public:
  std::uint64_t Widen(std::uint32_t now) {
    std::uint64_t last = last_.load(std::memory_order_relaxed);
    for (;;) {
      const std::uint64_t next = WidenTick(last, now);
      if (next == last || last_.compare_exchange_weak(last, next, std::memory_order_relaxed)) {
        return next;
      }
    }
  }

 private:
  std::atomic<std::uint64_t> last_{0};
};

}  // namespace ovalink
