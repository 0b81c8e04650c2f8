#include "platform/registry_store.h"

#include <atomic>

#include "platform/memory/memory_registry_store.h"

namespace ovalink {

namespace {
std::atomic<RegistryStore*> g_installed{nullptr};

RegistryStore& FallbackRegistry() {
  static MemoryRegistryStore store;
  return store;
}
}  // namespace

RegistryStore& ActiveRegistry() {
  RegistryStore* store = g_installed.load();
  return store ? *store : FallbackRegistry();
}

void InstallRegistry(RegistryStore* store) { g_installed.store(store); }

}  // namespace ovalink
