#include "platform/win32/win32_clock.h"

#include <windows.h>

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

void Win32Clock::SleepMs(std::uint32_t ms) { Sleep(ms); }

std::int64_t Win32Clock::CalendarSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

void Win32Clock::RaiseToTimeCritical() {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
}

void Win32Clock::RestoreNormalPriority() {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}

}  // namespace ovalink
