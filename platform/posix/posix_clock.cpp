#include "platform/posix/posix_clock.h"

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <cerrno>
#include <chrono>
#include <ctime>

namespace ovalink {

std::int64_t PosixClock::Counter() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::int64_t PosixClock::Frequency() { return 1'000'000'000; }

void PosixClock::SleepMs(std::uint32_t ms) {
  timespec request{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1'000'000L};
  timespec remaining{};
  while (nanosleep(&request, &remaining) == -1 && errno == EINTR) request = remaining;
}

std::int64_t PosixClock::CalendarSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

void PosixClock::RaiseToTimeCritical() {
  sched_param param{};
  param.sched_priority = sched_get_priority_max(SCHED_FIFO);
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

void PosixClock::RestoreNormalPriority() {
  sched_param param{};
  param.sched_priority = 0;
  pthread_setschedparam(pthread_self(), SCHED_OTHER, &param);
}

}  // namespace ovalink
