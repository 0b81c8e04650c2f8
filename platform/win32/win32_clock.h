#pragma once
// Real time on Windows: the performance counter, Sleep, time() and thread priorities.

#include "platform/clock.h"

namespace ovalink {

class Win32Clock : public Clock {
 public:
  std::int64_t Counter() override;
  std::int64_t Frequency() override;
  void SleepMs(std::uint32_t ms) override;
  std::int64_t CalendarSeconds() override;
  void RaiseToTimeCritical() override;
  void RestoreNormalPriority() override;
};

}  // namespace ovalink
