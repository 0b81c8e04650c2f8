#pragma once
// Widens a 32-bit millisecond count (GetTickCount), which wraps after 49.7 days, into a 64-bit
// one that does not, for systems without GetTickCount64.

#include <atomic>
#include <cstdint>

namespace ovalink {

// The widened value before the first reading.
constexpr std::uint64_t kNoTick = ~std::uint64_t{0};

// A reading below the last one by less than this was taken before the last value was stored
// (another thread was quicker, or this one was held up): the last value stands, so the result
// never goes backwards. Any other reading counts forward from the last one, across a wrap of
// the 32-bit count too; a wrap is only missed if no reading at all falls in 49.7 days.
constexpr std::uint32_t kStaleTickLimit = 60 * 60 * 1000;

// The widened value of a fresh reading, given the last widened value handed out.
constexpr std::uint64_t WidenTick(std::uint64_t last, std::uint32_t now) {
  if (last == kNoTick) return now;
  const auto low = static_cast<std::uint32_t>(last);
  const std::uint32_t behind = low - now;
  if (behind != 0 && behind < kStaleTickLimit) return last;
  return last + static_cast<std::uint32_t>(now - low);
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
  std::atomic<std::uint64_t> last_{kNoTick};
};

}  // namespace ovalink
