#include "tools/quor-sim/lab_registry.h"

#include "platform/memory/memory_registry_store.h"
#include "tools/quor-sim/cli.h"

#ifndef _WIN32
#include "platform/posix/reg_file_store.h"
#endif

namespace ovalink::quorsim {

std::unique_ptr<RegistryStore> OpenLabRegistry(const std::string& path) {
  if (path.empty()) return std::make_unique<MemoryRegistryStore>();
#ifdef _WIN32
  throw CommandError("--registry: registry files are kept by the Linux build only");
#else
  auto store = std::make_unique<RegFileStore>(path);
  if (!store->Persisting()) {
    throw CommandError("cannot keep the registry in " + path);
  }
  return store;
#endif
}

std::string DefaultLabRegistryPath() {
#ifdef _WIN32
  return "";
#else
  return DefaultRegistryFilePath();
#endif
}

}  // namespace ovalink::quorsim
