#include "port/driver_connection.h"

#include <atomic>
#include <mutex>

namespace ovalink {

namespace {
// The main thread (construction, destruction, resume) and the worker (after a port fault)
// both reopen the connection, possibly at once: every open and close holds this lock, so the
// device is never opened twice nor closed under the other thread's grant.
std::mutex g_connectionLock;
std::atomic<PortDriverBackend*> g_backend{nullptr};
std::atomic<bool> g_ntPlatform{false};
std::atomic<bool> g_deviceOpen{false};

bool OpenLocked() {
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

void CloseLocked() {
  PortDriverBackend* backend = g_backend.load();
  if (!g_ntPlatform.load() || !g_deviceOpen.load() || backend == nullptr) return;
  backend->WithdrawAccess();
  backend->CloseDevice();
  g_deviceOpen.store(false);
}
}  // namespace

void InstallDriverBackend(PortDriverBackend* backend) {
  std::lock_guard<std::mutex> lock(g_connectionLock);
  g_backend.store(backend);
  g_ntPlatform.store(false);
  g_deviceOpen.store(false);
}

bool IsNtPlatform() {
  PortDriverBackend* backend = g_backend.load();
  return backend != nullptr && backend->IsNtPlatform();
}

bool OpenDriver() {
  std::lock_guard<std::mutex> lock(g_connectionLock);
  return OpenLocked();
}

void CloseDriver() {
  std::lock_guard<std::mutex> lock(g_connectionLock);
  CloseLocked();
}

bool ReopenDriver() {
  std::lock_guard<std::mutex> lock(g_connectionLock);
  CloseLocked();
  return OpenLocked();
}

bool DriverOpen() { return g_deviceOpen.load(); }

}  // namespace ovalink
