#include "platform/win32/win32_clock.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace ovalink {
namespace {

TEST(Win32ClockTest, CounterAdvancesAcrossSleepAndPriorityRoundTrips) {
  Win32Clock clock;
  ASSERT_GT(clock.Frequency(), 0);
  const auto before = clock.Counter();
  clock.SleepMs(20);
  const double elapsedMs = double(clock.Counter() - before) * 1000.0 / double(clock.Frequency());
  EXPECT_GE(elapsedMs, 15.0);
  clock.RaiseToTimeCritical();
  EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_TIME_CRITICAL);
  clock.RestoreNormalPriority();
  EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
}

}  // namespace
}  // namespace ovalink
