#include "platform/tick_widener.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace ovalink {
namespace {

constexpr std::uint64_t Ticks(std::uint64_t wraps, std::uint32_t low) { return (wraps << 32) | low; }

TEST(TickWidenerTest, WidensForwardWrapsAndKeepsStaleReadingsFromGoingBack) {
  struct Case {
    const char* what;
    std::uint64_t last;
    std::uint32_t now;
    std::uint64_t widened;
  } const cases[] = {
      {"first reading", 0, 1234, 1234},
      {"forward", Ticks(0, 1000), 2000, Ticks(0, 2000)},
      {"same reading", Ticks(3, 500), 500, Ticks(3, 500)},
      {"forward after two wraps", Ticks(2, 10), 20, Ticks(2, 20)},
      {"wrap past the top", Ticks(0, 0xFFFFFFF0u), 5, Ticks(1, 5)},
      {"wrap at exactly half the range below", Ticks(4, 0x80000000u), 0, Ticks(5, 0)},
      {"stale by one less than half the range", Ticks(4, 0x80000000u), 1, Ticks(4, 0x80000000u)},
      {"stale by a little", Ticks(1, 5000), 4990, Ticks(1, 5000)},
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
