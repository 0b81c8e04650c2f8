#include "platform/win32/win32_clock.h"

#include <windows.h>
#include <mmsystem.h>

#include <ctime>

namespace ovalink {

std::int64_t Win32Clock::Counter() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

std::int64_t Win32Clock::Frequency() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

namespace {
// Sleep rounds up to the system timer's tick, 15.6 ms unless some program asked for a finer
// one: the capture's 10 ms idle polls and 1 ms close watch would come every tick instead.
constexpr std::uint32_t kDefaultTickMs = 16;
}  // namespace

void Win32Clock::SleepMs(std::uint32_t ms) {
  if (ms >= kDefaultTickMs) {
    Sleep(ms);
    return;
  }
  const bool finer = timeBeginPeriod(1) == TIMERR_NOERROR;
  Sleep(ms);
  if (finer) timeEndPeriod(1);
}

std::int64_t Win32Clock::CalendarSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

void Win32Clock::RaiseToTimeCritical() {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
}

void Win32Clock::RestoreNormalPriority() {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}

}  // namespace ovalink
