#include "platform/win32/xp/xp_tick_count64.h"

#include <gtest/gtest.h>

namespace ovalink {
namespace {

// Both stand-ins count the system's milliseconds: the looked-up one is the system's own here,
// the widened one is what Windows XP gets.
TEST(XpTickCount64Test, BothStandInsFollowTheSystemCounter) {
  const ULONGLONG system = GetTickCount64();
  const ULONGLONG looked_up = TickCount64();
  const ULONGLONG widened = WidenedTickCount();
  EXPECT_GE(looked_up, system);
  EXPECT_LT(looked_up - system, 1000u);
  // Widened from zero: the count of this boot's wraps is not known, only what follows.
  EXPECT_EQ(widened >> 32, 0u);
  EXPECT_LT((widened - (system & 0xFFFFFFFFu)) & 0xFFFFFFFFu, 1000u);
  // Sleep may wake before the counter's coarse tick has moved (under Wine too): wait for the
  // system's own counter, with a deadline, and the stand-ins must have followed it.
  for (int waits = 0; GetTickCount64() - system < 20 && waits < 2000; ++waits) Sleep(1);
  ASSERT_GE(GetTickCount64() - system, 20u);
  EXPECT_GE(TickCount64() - looked_up, 15u);
  EXPECT_GE(WidenedTickCount() - widened, 15u);
}

}  // namespace
}  // namespace ovalink
