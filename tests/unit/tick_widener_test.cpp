#include "platform/tick_widener.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace ovalink {
namespace {

constexpr std::uint64_t Ticks(std::uint64_t wraps, std::uint32_t low) { return (wraps << 32) | low; }

TEST(TickWidenerTest, WidensForwardAcrossWrapsAndKeepsStaleReadingsFromGoingBack) {
  struct Case {
    const char* what;
    std::uint64_t last;
    std::uint32_t now;
    std::uint64_t widened;
  } const cases[] = {
      {"first reading, low", kNoTick, 1234, 1234},
      {"first reading, just below the wrap", kNoTick, 0xFFFFF000u, Ticks(0, 0xFFFFF000u)},
      {"forward", Ticks(0, 1000), 2000, Ticks(0, 2000)},
      {"same reading", Ticks(3, 500), 500, Ticks(3, 500)},
      {"forward after two wraps", Ticks(2, 10), 20, Ticks(2, 20)},
      {"wrap past the top", Ticks(0, 0xFFFFFFF0u), 5, Ticks(1, 5)},
      {"late reading from before the wrap", Ticks(1, 0x10), 0xFFFFFFF0u, Ticks(1, 0x10)},
      {"stale by a little", Ticks(1, 5000), 4990, Ticks(1, 5000)},
      {"stale by one less than the limit", Ticks(1, kStaleTickLimit), 1, Ticks(1, kStaleTickLimit)},
      // Behind by the limit or more: nearly a whole wrap went by unseen.
      {"behind by the limit", Ticks(1, kStaleTickLimit), 0, Ticks(2, 0)},
      {"a gap of 40 days", Ticks(0, 100), 100 + 40u * 24 * 3600 * 1000, Ticks(0, 100 + 40u * 24 * 3600 * 1000)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WidenTick(c.last, c.now), c.widened) << c.what;
  }
}

TEST(TickWidenerTest, CountsOnAcrossTheWrapOfTheThirtyTwoBitCounter) {
  TickWidener widener;
  EXPECT_EQ(widener.Widen(0xFFFFFF00u), Ticks(0, 0xFFFFFF00u));
  EXPECT_EQ(widener.Widen(0xFFFFFFFFu), Ticks(0, 0xFFFFFFFFu));
  EXPECT_EQ(widener.Widen(0x10u), Ticks(1, 0x10u));
  // A thread that read the counter just before the wrap and arrives late.
  EXPECT_EQ(widener.Widen(0xFFFFFFF0u), Ticks(1, 0x10u));
  EXPECT_EQ(widener.Widen(0x20u), Ticks(1, 0x20u));
}

}  // namespace
}  // namespace ovalink
