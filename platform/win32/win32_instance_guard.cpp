#include "platform/win32/win32_instance_guard.h"

namespace ovalink {

namespace {
constexpr const char* kMutexName = "Local\\5C1D7A92-3E4B-4f06-9A8D-2B7E61C0F3A4";
}  // namespace

// The error code is taken straight after the call: anything in between may change it.
InstanceGuard::InstanceGuard()
    : lastError_(0), mutex_([this] {
        const HANDLE handle = ::CreateMutexA(nullptr, FALSE, kMutexName);
        lastError_ = ::GetLastError();
        return handle;
      }()) {}

bool InstanceGuard::AnotherInstanceRuns() const {
  return lastError_ == ERROR_ALREADY_EXISTS || (lastError_ == ERROR_ACCESS_DENIED && !mutex_);
}

}  // namespace ovalink
