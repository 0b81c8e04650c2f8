#include "platform/registry_store.h"

#include <atomic>

namespace ovalink {

namespace {
std::atomic<RegistryStore*> g_installed{nullptr};
}  // namespace

RegistryStore& ActiveRegistry() {
  RegistryStore* store = g_installed.load();
  return store ? *store : SystemRegistry();
}

void InstallRegistry(RegistryStore* store) { g_installed.store(store); }

}  // namespace ovalink
