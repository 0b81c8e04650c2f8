#include "platform/registry_store.h"
#include "platform/win32/win32_registry_store.h"

namespace ovalink {

RegistryStore& SystemRegistry() {
  static Win32RegistryStore store;
  return store;
}

}  // namespace ovalink
