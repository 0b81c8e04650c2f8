#include "port/driver_connection.h"

#include <atomic>

namespace ovalink {

namespace {
// Used from the main thread and from the worker's fault guard; never at the same time in
// practice, but atomics keep a racing Reopen from tearing the state.
std::atomic<PortDriverBackend*> g_backend{nullptr};
std::atomic<bool> g_ntPlatform{false};
std::atomic<bool> g_deviceOpen{false};
}  // namespace

void InstallDriverBackend(PortDriverBackend* backend) {
  g_backend.store(backend);
  g_ntPlatform.store(false);
  g_deviceOpen.store(false);
}

bool IsNtPlatform() {
  PortDriverBackend* backend = g_backend.load();
  return backend != nullptr && backend->IsNtPlatform();
}

bool OpenDriver() {
  PortDriverBackend* backend = g_backend.load();
  const bool nt = IsNtPlatform();
  g_ntPlatform.store(nt);
  if (!nt) return true;
  if (!g_deviceOpen.load()) {
    if (!backend->OpenDevice() && !backend->OpenDevice()) return false;
    g_deviceOpen.store(true);
  }
  return backend->GrantAccess();
}

void CloseDriver() {
  PortDriverBackend* backend = g_backend.load();
  if (!g_ntPlatform.load() || !g_deviceOpen.load() || backend == nullptr) return;
  backend->WithdrawAccess();
  backend->CloseDevice();
  g_deviceOpen.store(false);
}

bool DriverOpen() { return g_deviceOpen.load(); }

}  // namespace ovalink
