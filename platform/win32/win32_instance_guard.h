#pragma once
// The single-instance guard: a named, session-local mutex that exists while one instance runs.

#include "platform/win32/unique_handle.h"

namespace ovalink {

class InstanceGuard {
 public:
  // Creates (or opens) the mutex, not owned, and notes what creating it said.
  InstanceGuard();

  InstanceGuard(const InstanceGuard&) = delete;
  InstanceGuard& operator=(const InstanceGuard&) = delete;

  // Another instance already holds the name: the mutex existed, or it exists in a way this
  // process may not open.
  bool AnotherInstanceRuns() const;

 private:
  unsigned long lastError_;
  KernelHandle mutex_;
};

}  // namespace ovalink
